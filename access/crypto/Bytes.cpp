#include "access/crypto/Bytes.h"

#include <openssl/crypto.h>

#include <algorithm>

namespace velmora::access::crypto {

void wipeMemory(void* data, std::size_t size) {
    if (data != nullptr && size != 0) OPENSSL_cleanse(data, size);
}

SecretBytes fitToLength(ByteView bytes, std::size_t size, std::uint8_t fill) {
    SecretBytes result(size, fill);
    std::copy_n(bytes.begin(), std::min(size, bytes.size()), result.begin());
    return result;
}

bool sameBytes(ByteView a, ByteView b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace velmora::access::crypto

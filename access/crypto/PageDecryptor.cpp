#include "access/crypto/PageDecryptor.h"

namespace velmora::access::crypto {

void decryptPages(MutableBytes image, std::size_t pageSize, PageDecryptor& decryptor) {
    const std::size_t pages = image.size() / pageSize;
    for (std::size_t page = 1; page < pages; ++page)
        decryptor.decryptPage(image.subspan(page * pageSize, pageSize),
                              static_cast<std::uint32_t>(page));
}

}  // namespace velmora::access::crypto

#include "access/crypto/HeaderPage.h"

#include <algorithm>

#include "access/crypto/CryptoErrors.h"
#include "access/crypto/OpenSsl.h"

namespace velmora::access::crypto {

namespace {
constexpr std::uint8_t kHeaderKey[] = {0xc7, 0xda, 0x39, 0x6b};
}

HeaderPage::HeaderPage(ByteView raw) {
    if (raw.size() <= kVersionOffset)
        throw UnreadableProtection("The database header is incomplete.");
    version_ = raw[kVersionOffset];
    if (raw.size() < pageSizeOf(version_))
        throw UnreadableProtection("The database header is incomplete.");
    page_.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(pageSizeOf(version_)));
    toggleEncoding(page_, version_);
}

bool HeaderPage::pagesEncoded() const {
    const ByteView key = encodingKey();
    return std::any_of(key.begin(), key.end(), [](std::uint8_t b) { return b != 0; });
}

void HeaderPage::toggleEncoding(MutableBytes page, std::uint8_t version) {
    Rc4().apply(kHeaderKey, page.subspan(kEncodedStart, encodedLength(version)));
}

void HeaderPage::clearEncodingKey(MutableBytes rawPage) {
    const std::uint8_t version = rawPage[kVersionOffset];
    toggleEncoding(rawPage, version);
    std::fill_n(rawPage.begin() + kEncodingKeyOffset, kEncodingKeySize, 0);
    toggleEncoding(rawPage, version);
}

}  // namespace velmora::access::crypto

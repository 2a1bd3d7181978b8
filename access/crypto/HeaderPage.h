#pragma once
// Page 0 of an Access file. Its bytes from 0x18 on (126 of them in Jet3, 128 later) are
// RC4-encoded with a fixed key; everything read here comes from a decoded copy.

#include <cstddef>
#include <cstdint>

#include "access/crypto/Bytes.h"

namespace velmora::access::crypto {

class HeaderPage {
  public:
    static constexpr std::size_t kVersionOffset = 0x14;
    static constexpr std::size_t kEncodedStart = 0x18;
    static constexpr std::size_t kEncodingKeyOffset = 0x3e;
    static constexpr std::size_t kEncodingKeySize = 4;
    static constexpr std::size_t kPasswordOffset = 0x42;
    static constexpr std::size_t kCreationDateOffset = 0x72;
    static constexpr std::uint8_t kJet3 = 0;
    static constexpr std::uint8_t kJet4 = 1;

    static std::size_t pageSizeOf(std::uint8_t version) { return version == kJet3 ? 2048 : 4096; }

    // `raw` is the start of the file, at least one page of its version; throws
    // UnreadableProtection when it is shorter.
    explicit HeaderPage(ByteView raw);

    std::uint8_t version() const { return version_; }
    bool isJet3() const { return version_ == kJet3; }
    // Access 2007 and later (.accdb): encrypted with Office document cryptography.
    bool isAce() const { return version_ > kJet4; }
    std::size_t pageSize() const { return pageSizeOf(version_); }
    ByteView bytes() const { return page_; }

    // The database key: every later page is encoded (Jet RC4) or encrypted (.accdb) with
    // a key built from it; all zero when the pages are plain.
    ByteView encodingKey() const {
        return ByteView(page_).subspan(kEncodingKeyOffset, kEncodingKeySize);
    }
    bool pagesEncoded() const;

    // Sets the database key of a raw (still encoded) page 0 to zero, so that a reader of
    // the decrypted image takes the pages after it as plain.
    static void clearEncodingKey(MutableBytes rawPage);

  private:
    static std::size_t encodedLength(std::uint8_t version) { return version == kJet3 ? 126 : 128; }
    static void toggleEncoding(MutableBytes page, std::uint8_t version);

    SecretBytes page_;  // holds the stored password
    std::uint8_t version_;
};

}  // namespace velmora::access::crypto

#pragma once
// Decrypts the pages of an encrypted .accdb once its password has been checked. Page 0
// is never encrypted; every later page is, with a key or IV built from its number.

#include <cstddef>
#include <cstdint>

#include "access/crypto/Bytes.h"

namespace velmora::access::crypto {

class PageDecryptor {
  public:
    virtual ~PageDecryptor() = default;
    // `page` is one whole page, decrypted in place; `pageNumber` > 0.
    virtual void decryptPage(MutableBytes page, std::uint32_t pageNumber) = 0;
};

// Decrypts every page after page 0 of a whole file image in place.
void decryptPages(MutableBytes image, std::size_t pageSize, PageDecryptor& decryptor);

}  // namespace velmora::access::crypto

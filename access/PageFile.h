#pragma once
// The one place that talks to libmdb: it opens the database (the file itself, or the
// decrypted image that Protection prepared) and hands out whole pages, which libmdb
// reads and, for RC4-encoded Jet files, decodes; a plain file's pages are read straight
// from its descriptor, one call each. Everything above parses those pages itself,
// because libmdb trusts the offsets stored in the file.

#include <cstdint>
#include <string>
#include <vector>

#include "access/JetFormat.h"
#include "access/Protection.h"

namespace velmora::access {

class PageFile {
  public:
    // Throws FormatError when libmdb does not accept the image.
    explicit PageFile(DatabaseImage image);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const JetFormat& format() const { return *format_; }
    std::uint32_t pageCount() const { return pageCount_; }
    // The pages the file holds at least a part of: one more than pageCount() when it was
    // cut within a page.
    std::uint32_t pagesHeld() const { return pageCount_ + (partBytes_ > 0 ? 1 : 0); }
    std::uint16_t codePage() const { return codePage_; }

    // Copies page `number` into `out` (resized to the page size). A page number past
    // the end of the file raises FormatError: libmdb would hand back stale bytes.
    void read(std::uint32_t number, std::vector<std::uint8_t>& out) const;
    // As read(), and also the page a cut-short file ends within (pageCount()), whose
    // missing bytes are zero; returns how many bytes of the page the file holds.
    std::size_t readHeld(std::uint32_t number, std::vector<std::uint8_t>& out) const;

  private:
    void readPlain(std::uint32_t number, std::vector<std::uint8_t>& out) const;

    DatabaseImage image_;  // libmdb reads from `image_.decrypted` when it is not empty
    void* handle_ = nullptr;
    const JetFormat* format_ = nullptr;
    std::uint32_t pageCount_ = 0;
    std::size_t partBytes_ = 0;  // of the page a cut-short file ends within
    std::uint16_t codePage_ = 0;
    bool plain_ = false;  // a file libmdb need not decode: read without it
};

}  // namespace velmora::access

#pragma once
// Memo and OLE Object values ("long values"). The row holds a 12-byte header: a 32-bit
// length whose top two bits say where the bytes are (0x80: right after the header;
// 0x40: in one row of another page; 0: in a chain of rows, each starting with a
// pointer to the next), then a pointer to that row.

#include <cstdint>
#include <optional>
#include <vector>

#include "access/ByteSpan.h"
#include "access/PageFile.h"

namespace velmora::access {

class LongValueReader {
  public:
    explicit LongValueReader(const PageFile& file) : file_(file) {}

    // Replaces `out` with the value's bytes. Throws FormatError when the header or the
    // chain is damaged (a length longer than the file, a missing or looping page).
    void read(ByteSpan header, std::vector<std::uint8_t>& out);

  private:
    // `size`: the size the row must have (when the value ends in it), which proves its
    // bounds where the row table vouches for only one of them.
    ByteSpan rowOf(std::uint32_t page, unsigned row, std::optional<std::size_t> size);

    const PageFile& file_;
    std::vector<std::uint8_t> page_;
};

}  // namespace velmora::access

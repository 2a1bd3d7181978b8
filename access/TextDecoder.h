#pragma once
// Turns stored text into UTF-8. Jet4 and later store UTF-16LE, optionally in Access's
// "compressed unicode" form (a 0xFF 0xFE header, then runs of one-byte characters and
// runs of UTF-16 units, each 0x00 byte switching between the two). Jet3 stores text in
// the database's code page (from the file header, Windows-1252 when it names none).

#include <array>
#include <cstdint>
#include <string>

#include "access/ByteSpan.h"

namespace velmora::access {

// Appends UTF-16LE code units as UTF-8. Surrogate pairs become one code point; a
// lone surrogate or a trailing odd byte becomes U+FFFD.
void appendUtf16le(ByteSpan units, std::string& out);

class TextDecoder {
  public:
    // `jet3` selects code-page text; `codePage` is the header's value (0 = 1252).
    TextDecoder(bool jet3, std::uint16_t codePage);

    // Replaces `out` with the decoded text of a Text or Memo value.
    void decode(ByteSpan stored, std::string& out) const;
    // Object and column names: never compressed.
    std::string decodeName(ByteSpan stored) const;

    std::uint16_t codePage() const { return codePage_; }

  private:
    void decodeCodePage(ByteSpan stored, std::string& out) const;

    bool jet3_;
    std::uint16_t codePage_;
    bool singleByte_ = true;
    std::array<std::string, 256> byteToUtf8_;  // single-byte code pages
    std::string iconvName_;                    // multi-byte code pages (932, 936, 949, 950)
};

}  // namespace velmora::access

#pragma once
// Turns a field's stored bytes into a typed Value, exactly: integers, Currency as its
// scaled 64-bit integer, Decimal as sign, 96-bit magnitude and scale, dates as the stored
// OLE serial, text and memos through the TextDecoder, binary and OLE bytes untouched
// (zero bytes included). Buffers of the target Value are reused, so reading a table
// does not allocate per value once the first rows have sized them.

#include <vector>

#include "access/LongValue.h"
#include "access/RowLayout.h"
#include "access/TextDecoder.h"
#include "dataaccess/Value.h"

namespace velmora::access {

class ValueDecoder {
  public:
    ValueDecoder(const PageFile& file, const TextDecoder& text) : longValues_(file), text_(text) {}

    // Throws FormatError when the bytes cannot hold a value of the column's type.
    void decode(const ColumnDefinition& column, const Field& field, db::Value& out);

  private:
    void decodeCalculated(const ColumnDefinition& column, ByteSpan stored, db::Value& out);
    void decodeStored(std::uint8_t type, const ColumnDefinition& column, ByteSpan bytes,
                      db::Value& out);

    LongValueReader longValues_;
    const TextDecoder& text_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace velmora::access

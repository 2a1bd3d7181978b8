#pragma once
// Reads little-endian fields one after the other from a byte range and reports a
// damaged structure, instead of reading past its end, when the range runs out.

#include <cstddef>
#include <cstdint>
#include <string>

#include "access/crypto/Bytes.h"
#include "access/crypto/CryptoErrors.h"

namespace velmora::access::crypto {

class ByteReader {
  public:
    // `structure` names what is read, for the error message.
    ByteReader(ByteView data, std::string structure)
        : data_(data), structure_(std::move(structure)) {}

    std::uint16_t u16() { return readLe16(take(2), 0); }
    std::uint32_t u32() { return readLe32(take(4), 0); }
    ByteView bytes(std::size_t count) { return take(count); }
    ByteView rest() { return take(data_.size() - at_); }
    std::size_t remaining() const { return data_.size() - at_; }

  private:
    ByteView take(std::size_t count) {
        if (count > remaining())
            throw UnreadableProtection("The " + structure_ + " of the database is damaged.");
        const ByteView part = data_.subspan(at_, count);
        at_ += count;
        return part;
    }

    ByteView data_;
    std::string structure_;
    std::size_t at_ = 0;
};

}  // namespace velmora::access::crypto

#pragma once
// A bounds-checked, little-endian view of bytes read from the database. Every offset
// taken from the file goes through here, so a damaged file raises FormatError instead
// of reading outside its buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "access/FormatError.h"
#include "common/text/LittleEndian.h"

namespace velmora::access {

class ByteSpan {
  public:
    ByteSpan() = default;
    ByteSpan(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    bool covers(std::size_t at, std::size_t count) const {
        return at <= size_ && count <= size_ - at;
    }
    std::uint8_t u8(std::size_t at) const {
        require(at, 1);
        return data_[at];
    }
    std::uint16_t u16(std::size_t at) const {
        require(at, 2);
        return text::getLe16(data_ + at);
    }
    std::uint32_t u24(std::size_t at) const {
        require(at, 3);
        return text::getLe24(data_ + at);
    }
    std::uint32_t u32(std::size_t at) const {
        require(at, 4);
        return text::getLe32(data_ + at);
    }
    std::uint64_t u64(std::size_t at) const {
        require(at, 8);
        return text::getLe64(data_ + at);
    }
    ByteSpan sub(std::size_t at, std::size_t count) const {
        require(at, count);
        return ByteSpan(data_ + at, count);
    }
    ByteSpan from(std::size_t at) const {
        require(at, 0);
        return ByteSpan(data_ + at, size_ - at);
    }

  private:
    void require(std::size_t at, std::size_t count) const {
        if (!covers(at, count))
            throw FormatError("a stored offset or length points outside its record");
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace velmora::access

#pragma once
// The order of primary keys. Field bytes are stored so that plain byte comparison gives
// value order; Alpha fields follow the table's sort order: byte order for "ascii" (and
// its Windows form "DBWINUS0"), otherwise an approximation of the international orders
// that compares letters without case and accents first and bytes last.

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paradox/TableHeader.h"

namespace velmora::paradox {

class KeyOrder {
  public:
    explicit KeyOrder(const TableInfo& info);
    int length() const { return length_; }
    int compare(const std::uint8_t* a, const std::uint8_t* b) const {
        if (binary_) return std::memcmp(a, b, static_cast<std::size_t>(length_));
        return compareByFields(a, b);
    }

  private:
    int compareByFields(const std::uint8_t* a, const std::uint8_t* b) const;

    int length_ = 0;
    bool binary_ = true;
    struct Part {
        int offset;
        int length;
        bool folded;
    };
    std::vector<Part> parts_;
    std::array<std::uint16_t, 256> weight_{};
};

}  // namespace velmora::paradox

#pragma once
// The order of keys: of a table's primary key, and of a secondary index's entries. Field
// bytes are stored so that plain byte comparison gives value order; Alpha fields follow
// the table's sort order: byte order for "ascii" (and its Windows form "DBWINUS0"),
// otherwise an approximation of the international orders that compares letters without
// case and accents first and bytes last. A case-insensitive index compares Alpha fields
// with their letters made capitals (under an international order: without case and
// accents first, then with accents but without case); a descending index reverses the
// whole order.

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paradox/TableHeader.h"

namespace velmora::paradox {

class KeyOrder {
  public:
    // The primary key of `info` (its first keyFields fields), or the entries of the
    // secondary index file `info` describes (its key fields, with the index's options).
    explicit KeyOrder(const TableInfo& info);
    // The first `fields` fields of `info`; `caseInsensitive` (per field, may be shorter)
    // applies to Alpha fields.
    KeyOrder(const TableInfo& info, int fields, const std::vector<bool>& caseInsensitive,
             bool descending);

    int length() const { return length_; }
    int compare(const std::uint8_t* a, const std::uint8_t* b) const {
        const int c = !binary_       ? compareByFields(a, b)
                      : length_ == 4 ? compareFourBytes(a, b)
                                     : std::memcmp(a, b, static_cast<std::size_t>(length_));
        return descending_ ? -c : c;
    }

  private:
    // A key of one Long or Date field, the commonest (a row number): compared as one
    // big-endian number, as memcmp would order it, without the call.
    static int compareFourBytes(const std::uint8_t* a, const std::uint8_t* b) {
        const std::uint32_t x =
            std::uint32_t{a[0]} << 24 | std::uint32_t{a[1]} << 16 | std::uint32_t{a[2]} << 8 | a[3];
        const std::uint32_t y =
            std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
        return (x > y) - (x < y);
    }
    enum class Text : std::uint8_t { Bytes, Folded, Capitals, FoldedCapitals };
    struct Part {
        int offset;
        int length;
        Text text;
    };
    int compareByFields(const std::uint8_t* a, const std::uint8_t* b) const;
    int compareWeights(const std::uint8_t* x, const std::uint8_t* y, int length,
                       const std::array<std::uint16_t, 256>& weight) const;

    int length_ = 0;
    bool binary_ = true;
    bool descending_ = false;
    std::vector<Part> parts_;
    std::array<std::uint16_t, 256> letter_{};   // base letter: no case, no accent
    std::array<std::uint16_t, 256> capital_{};  // the byte of the capital letter
};

}  // namespace velmora::paradox

// Row slots, row layouts and property blobs built byte by byte, including damaged ones.

#include <gtest/gtest.h>

#include <algorithm>

#include "access/DataPage.h"
#include "access/PropertyBlob.h"
#include "access/RowLayout.h"

namespace velmora::access {
namespace {

using Bytes = std::vector<std::uint8_t>;

ColumnDefinition column(std::uint8_t type, std::uint16_t number, bool fixed, std::uint16_t offset,
                        std::uint16_t varIndex = 0) {
    ColumnDefinition c;
    c.type = c.valueType = type;
    c.number = number;
    c.fixed = fixed;
    c.fixedOffset = offset;
    c.varIndex = varIndex;
    return c;
}

// Long (fixed), Text (variable), Yes/No: the shape of most Access tables.
TableDefinition threeColumns() {
    TableDefinition t;
    t.varColumnCount = 1;
    t.columns = {column(jet_type::kLong, 0, true, 0), column(jet_type::kText, 1, false, 0, 0),
                 column(jet_type::kBoolean, 2, true, 0)};
    return t;
}

// Column count, Long 7, "hi" in UTF-16, end-of-data offset, offset of the text,
// variable column count, null mask.
Bytes jet4Row(std::uint8_t nullMask, std::uint8_t columnCount = 3) {
    return {columnCount, 0, 7, 0, 0, 0, 'h', 0, 'i', 0, 10, 0, 6, 0, 1, 0, nullMask};
}

std::vector<Field> split(const TableDefinition& table, const Bytes& row) {
    std::vector<Field> fields;
    RowLayout(jet4Format(), table).split(ByteSpan(row.data(), row.size()), fields);
    return fields;
}

TEST(Jet4Row, FixedVariableAndYesNoFieldsAreFound) {
    const Bytes row = jet4Row(0b111);
    const auto f = split(threeColumns(), row);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_TRUE(f[0].present);
    EXPECT_EQ(f[0].bytes.u32(0), 7u);
    ASSERT_TRUE(f[1].present);
    EXPECT_EQ(f[1].bytes.size(), 4u);
    EXPECT_EQ(f[1].bytes.u8(0), 'h');
    EXPECT_TRUE(f[2].present);  // Yes
}

TEST(Jet4Row, NullMaskClearsFieldsAndSaysNo) {
    const auto f = split(threeColumns(), jet4Row(0b001));
    EXPECT_TRUE(f[0].present);
    EXPECT_FALSE(f[1].present);
    EXPECT_FALSE(f[2].present);  // No
}

TEST(Jet4Row, ColumnsNewerThanTheRowAreNull) {
    const auto f = split(threeColumns(), jet4Row(0b011, 2));
    EXPECT_TRUE(f[1].present);
    EXPECT_FALSE(f[2].present);
}

TEST(Jet4Row, OffsetsOutsideTheRowAreDamage) {
    Bytes row = jet4Row(0b111);
    row[12] = 11;  // text starts after it ends
    EXPECT_THROW(split(threeColumns(), row), FormatError);
    row = jet4Row(0b111);
    row[14] = 200;  // more variable columns than the row can hold
    EXPECT_THROW(split(threeColumns(), row), FormatError);
    TableDefinition wide = threeColumns();
    wide.columns[0].fixedOffset = 5;  // a Long reaching into the offset table
    EXPECT_THROW(split(wide, jet4Row(0b111)), FormatError);
    EXPECT_THROW(split(threeColumns(), Bytes{40, 0}), FormatError);  // mask longer than the row
}

std::vector<Field> splitJet3(const TableDefinition& table, const Bytes& row) {
    std::vector<Field> fields;
    RowLayout(jet3Format(), table).split(ByteSpan(row.data(), row.size()), fields);
    return fields;
}

// Jet3 offsets are single bytes; a jump table lists the first offset past each 256 bytes.
TEST(Jet3Row, LongRowsUseTheJumpTable) {
    TableDefinition t;
    t.varColumnCount = 2;
    t.columns = {column(jet_type::kText, 0, false, 0, 0), column(jet_type::kText, 1, false, 0, 1)};
    Bytes row(307, 0);
    row[0] = 2;
    std::fill(row.begin() + 1, row.begin() + 201, 'a');
    std::fill(row.begin() + 201, row.begin() + 301, 'b');
    row[301] = 301 - 256;  // end of data, one jump up
    row[302] = 201;
    row[303] = 1;
    row[304] = 2;  // the jump table: entry 2 is the first at 256 or beyond
    row[305] = 2;  // variable columns
    row[306] = 0b11;
    const auto f = splitJet3(t, row);
    ASSERT_TRUE(f[0].present && f[1].present);
    EXPECT_EQ(f[0].bytes.size(), 200u);
    EXPECT_EQ(f[1].bytes.size(), 100u);
    EXPECT_EQ(f[1].bytes.u8(0), 'b');
    EXPECT_EQ(f[1].bytes.u8(99), 'b');
}

TEST(Jet3Row, FillerJumpEntryIsIgnored) {
    TableDefinition t;
    t.varColumnCount = 1;
    t.columns = {column(jet_type::kText, 0, true, 0), column(jet_type::kText, 1, false, 0, 0)};
    t.columns[0].length = 200;
    Bytes row(260, 0);
    row[0] = 2;
    std::fill(row.begin() + 1, row.begin() + 201, 'f');
    std::fill(row.begin() + 201, row.begin() + 255, 'v');
    row[255] = 255;  // end of data: below 256 although the row is longer
    row[256] = 201;
    row[257] = 0xFF;  // filler jump entry
    row[258] = 1;
    row[259] = 0b11;
    const auto f = splitJet3(t, row);
    EXPECT_EQ(f[0].bytes.size(), 200u);
    EXPECT_EQ(f[1].bytes.size(), 54u);
    EXPECT_EQ(f[1].bytes.u8(0), 'v');
}

Bytes dataPage(std::vector<std::uint16_t> offsets) {
    Bytes page(4096, 0);
    page[0] = page_type::kData;
    page[12] = static_cast<std::uint8_t>(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        page[14 + 2 * i] = static_cast<std::uint8_t>(offsets[i]);
        page[15 + 2 * i] = static_cast<std::uint8_t>(offsets[i] >> 8);
    }
    return page;
}

TEST(DataPageSlots, RowsRunToThePreviousRowStart) {
    const Bytes page = dataPage({4000, 0x8000 | 3900, 0x4000 | 3800});
    const RowTable rows(ByteSpan(page.data(), page.size()), jet4Format());
    ASSERT_EQ(rows.count(), 3u);
    const RowSlot first = rows.slot(0);
    EXPECT_EQ(first.start, 4000u);
    EXPECT_EQ(first.end, 4096u);
    EXPECT_TRUE(rows.slot(1).deleted);
    const RowSlot moved = rows.slot(2);
    EXPECT_TRUE(moved.overflow);
    EXPECT_EQ(moved.start, 3800u);
    EXPECT_EQ(moved.end, 3900u);
    for (unsigned row = 0; row < 3; ++row) EXPECT_TRUE(rows.boundsTrusted(row));
}

// A slot out of order with its neighbours makes the bounds it gives untrusted, and only
// those (both slots', where either could be the damaged one); a row count whose table would reach
// into the rows is damaged, and the slots in front of the rows are what it most likely stands for.
TEST(DataPageSlots, DamagedSlotsAndCountsAreTold) {
    Bytes page = dataPage({3000, 3500});  // second row would end before it starts
    EXPECT_THROW(RowTable(ByteSpan(page.data(), page.size()), jet4Format()).slot(1), FormatError);
    page = dataPage({8});  // inside the slot table
    EXPECT_THROW(RowTable(ByteSpan(page.data(), page.size()), jet4Format()).slot(0), FormatError);

    page = dataPage({4000, 3900, 0x1fff, 3700, 3600});
    const RowTable damaged(ByteSpan(page.data(), page.size()), jet4Format());
    ASSERT_EQ(damaged.count(), 5u);
    EXPECT_TRUE(damaged.boundsTrusted(0));
    EXPECT_TRUE(damaged.boundsTrusted(1));
    EXPECT_FALSE(damaged.boundsTrusted(2));  // starts at the damaged slot
    EXPECT_FALSE(damaged.boundsTrusted(3));  // ends there
    EXPECT_TRUE(damaged.boundsTrusted(4));
    page = dataPage({4000, 3900, 3700, 3800, 3600});  // 2 or 3 is out of place: both are
    const RowTable ambiguous(ByteSpan(page.data(), page.size()), jet4Format());
    EXPECT_TRUE(ambiguous.boundsTrusted(1));
    EXPECT_FALSE(ambiguous.boundsTrusted(2));
    EXPECT_FALSE(ambiguous.boundsTrusted(3));
    EXPECT_FALSE(ambiguous.boundsTrusted(4));

    page = dataPage({4000, 3900, 3800});
    page[12] = 200;  // the table would run past the rows' starts, over the free space
    const RowTable counted(ByteSpan(page.data(), page.size()), jet4Format());
    EXPECT_TRUE(counted.countDamaged());
    EXPECT_EQ(counted.count(), 0u);
    EXPECT_EQ(counted.soundCount(), 3u);
    EXPECT_EQ(RowTable(ByteSpan(page.data(), page.size()), jet4Format(), 3).count(), 3u);
    page = dataPage({});
    page[12] = 0xFF;
    page[13] = 0x0F;  // 4095 slots cannot fit
    EXPECT_TRUE(RowTable(ByteSpan(page.data(), page.size()), jet4Format()).countDamaged());
}

void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}
void putName(Bytes& b, const std::string& ascii) {
    put16(b, static_cast<std::uint16_t>(ascii.size() * 2));
    for (char c : ascii) put16(b, static_cast<std::uint8_t>(c));
}

// "MR2\0", a names chunk, then one chunk for column "Total" holding ResultType = 7.
Bytes propertyBlob() {
    Bytes names;
    putName(names, "Format");
    putName(names, "ResultType");
    Bytes column;
    put32(column, 4 + 2 + 10);
    putName(column, "Total");
    for (auto [index, value] : {std::pair<std::uint16_t, std::uint8_t>{0, 'x'}, {1, 7}}) {
        put16(column, 9);
        column.push_back(0);
        column.push_back(2);
        put16(column, index);
        put16(column, 1);
        column.push_back(value);
    }
    Bytes blob = {'M', 'R', '2', 0};
    put32(blob, static_cast<std::uint32_t>(6 + names.size()));
    put16(blob, 0x80);
    blob.insert(blob.end(), names.begin(), names.end());
    put32(blob, static_cast<std::uint32_t>(6 + column.size()));
    put16(blob, 0x01);
    blob.insert(blob.end(), column.begin(), column.end());
    return blob;
}

TEST(PropertyBlobs, FindAColumnPropertyByName) {
    const Bytes blob = propertyBlob();
    const ByteSpan bytes(blob.data(), blob.size());
    EXPECT_EQ(bytePropertyOf(bytes, "total", "ResultType"), std::optional<std::uint8_t>(7));
    EXPECT_EQ(bytePropertyOf(bytes, "Other", "ResultType"), std::nullopt);
    EXPECT_EQ(bytePropertyOf(bytes, "Total", "Caption"), std::nullopt);
}

TEST(PropertyBlobs, DamagedChunkLengthsAreRefused) {
    Bytes blob = propertyBlob();
    blob[4] = 2;  // names chunk shorter than its own header
    EXPECT_THROW(bytePropertyOf(ByteSpan(blob.data(), blob.size()), "Total", "ResultType"),
                 FormatError);
    blob = propertyBlob();
    blob[4] = 0xF0;  // names chunk longer than the blob
    EXPECT_THROW(bytePropertyOf(ByteSpan(blob.data(), blob.size()), "Total", "ResultType"),
                 FormatError);
}

}  // namespace
}  // namespace velmora::access

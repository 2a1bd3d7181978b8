// Tables of the oldest level the driver reads: a level 3 header (the field table right
// after the common part, no code page, so code page 437) with 1 KB blocks, built here
// byte by byte as Paradox 3 lays it out. It reads, takes new rows and stays readable
// for pxlib.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

void le16(std::vector<unsigned char>& b, std::size_t at, unsigned v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

// A level 3 table "Old" with the fields Name (Alpha 10), Qty (Short), Price (Number) and
// `rows` records in 1 KB blocks: Name "item<i>" (the first one "Größe" in code page 437),
// Qty i, Price i + 0.5.
void writeLevel3Table(const std::filesystem::path& file, int rows) {
    const int recordSize = 10 + 2 + 8;
    const int perBlock = (1024 - 6) / recordSize;
    const int blocks = (rows + perBlock - 1) / perBlock;
    std::vector<unsigned char> b(0x800 + static_cast<std::size_t>(blocks) * 1024, 0);
    le16(b, 0x00, recordSize);
    le16(b, 0x02, 0x800);
    b[0x04] = 2;  // unkeyed
    b[0x05] = 1;  // 1 KB blocks
    le16(b, 0x06, static_cast<unsigned>(rows));
    le16(b, 0x0A, static_cast<unsigned>(blocks));
    le16(b, 0x0C, static_cast<unsigned>(blocks));
    le16(b, 0x0E, 1);
    le16(b, 0x10, static_cast<unsigned>(blocks));
    le16(b, 0x21, 3);
    b[0x39] = 3;  // Paradox 3.0
    const unsigned char fields[] = {0x01, 10, 0x03, 2, 0x06, 8};
    std::memcpy(&b[0x58], fields, sizeof fields);
    std::size_t at = 0x58 + sizeof fields + 4 + 3 * 4;  // table name pointer, field name pointers
    std::memcpy(&b[at], "OLD.DB", 6);
    at += 79;
    for (const char* name : {"Name", "Qty", "Price"}) {
        std::memcpy(&b[at], name, std::strlen(name));
        at += std::strlen(name) + 1;
    }
    for (int i = 0; i < rows; ++i) {
        const int block = i / perBlock;
        const std::size_t blockAt = 0x800 + static_cast<std::size_t>(block) * 1024;
        const int inBlock = std::min(perBlock, rows - block * perBlock);
        le16(b, blockAt, block + 1 < blocks ? static_cast<unsigned>(block + 2) : 0);
        le16(b, blockAt + 2, static_cast<unsigned>(block));
        le16(b, blockAt + 4, static_cast<unsigned>((inBlock - 1) * recordSize));
        unsigned char* r = &b[blockAt + 6 + static_cast<std::size_t>(i % perBlock) * recordSize];
        const std::string name = i == 0 ? "Gr\x94\xE1"
                                          "e"
                                        : "item" + std::to_string(i);
        std::memcpy(r, name.data(), name.size());
        r[10] = static_cast<unsigned char>(0x80 | (i >> 8));
        r[11] = static_cast<unsigned char>(i);
        double price = i + 0.5;
        std::uint64_t bits;
        std::memcpy(&bits, &price, 8);
        bits |= std::uint64_t{1} << 63;
        for (int k = 0; k < 8; ++k) r[12 + k] = static_cast<unsigned char>(bits >> (56 - 8 * k));
    }
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace

TEST(OlderLevels, Level3TableWithOneKilobyteBlocks) {
    ScratchFolder folder;
    writeLevel3Table(folder.path() / "OLD.DB", 60);
    Target target(folder.path());
    auto rows = target.rows("Old");
    ASSERT_EQ(rows.size(), 60u);
    EXPECT_EQ(rows[0][0].asText(), "Größe");
    EXPECT_EQ(rows[59][0].asText(), "item59");
    EXPECT_EQ(rows[59][1].asInt(), 59);
    EXPECT_EQ(rows[59][2].asDouble(), 59.5);

    target.run("INSERT INTO Old VALUES ('Maß', -3, -0.25)");
    rows = target.rows("Old");
    ASSERT_EQ(rows.size(), 61u);
    EXPECT_EQ(rows[60][0].asText(), "Maß");
    EXPECT_EQ(rows[60][1].asInt(), -3);
    EXPECT_TRUE(paradox::checkTable(folder.path(), "Old").empty());

    const PxTable independent = readWithPxlib(folder.path() / "OLD.DB");
    ASSERT_EQ(independent.rows.size(), 61u);
    EXPECT_EQ(independent.names, (std::vector<std::string>{"Name", "Qty", "Price"}));
    EXPECT_EQ(independent.rows[60][0].text, "Ma\xE1");  // ß in code page 437
    EXPECT_EQ(independent.rows[60][2].number, -0.25);
    EXPECT_EQ(independent.rows[30][1].number, 30);
}

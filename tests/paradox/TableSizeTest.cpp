// Tables of any size: the block size and level follow the rows a table will take, every
// table stays readable by other readers, and what cannot fit is refused before it starts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "paradox/BlockSize.h"
#include "paradox/HeaderLayout.h"
#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"

namespace velmora::paradox::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> headerOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(0x80);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void expectSound(const fs::path& folder, const std::string& table) {
    const auto problems = checkTable(folder, table);
    ASSERT_TRUE(problems.empty()) << table << ": " << problems.front();
}

std::string padded(int i, int width) {
    std::string text = std::to_string(i);
    text.resize(static_cast<std::size_t>(width), 'x');
    return text;
}

TEST(BlockSize, FollowsTheRowsAndNeedsLevel7AboveFourKilobytes) {
    // The benchmark's 77-byte records.
    EXPECT_EQ(chooseBlockSize(77, 0, "t").blockSize, 2048);
    EXPECT_EQ(chooseBlockSize(77, 0, "t").version, hdr::kVersionLevel5);
    EXPECT_EQ(chooseBlockSize(77, 851'942, "t").blockSize, 2048);  // 26 a block, 32,767 blocks
    EXPECT_EQ(chooseBlockSize(77, 851'943, "t").blockSize, 4096);
    EXPECT_EQ(chooseBlockSize(77, 1'000'000, "t").version, hdr::kVersionLevel5);
    const BlockChoice big = chooseBlockSize(77, 5'000'000, "t");
    EXPECT_EQ(big.blockSize, 16384);
    EXPECT_EQ(big.version, hdr::kVersionLevel7);
    // A record too long for eight in 4 KB takes 16 KB whatever the rows.
    EXPECT_EQ(chooseBlockSize(600, 0, "t").blockSize, 16384);
    // Beyond 32,767 blocks of 32 KB the largest size is all there is.
    EXPECT_EQ(chooseBlockSize(77, 20'000'000, "t").blockSize, 32768);
}

TEST(TableSize, MoreRowsThanTheFormatHoldsAreRefusedBeforeAnyFileIsWritten) {
    ScratchFolder folder;
    Target target(folder.path());
    const std::string error =
        errorOf(target, R"(CREATE TABLE "Huge"("K" INT, "T" TEXT(73)) ROWS 30000000)");
    EXPECT_NE(error.find("2 GB"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(folder.path()));
    // The clause takes a number and nothing else.
    errorOf(target, R"(CREATE TABLE "Huge"("K" INT) ROWS many)");
}

TEST(TableSize, LargeBlocksWriteALevel7TableThatOtherReadersRead) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "Big"("K" INT, "T" TEXT(73)) ROWS 5000000)");
    target.run(R"(CREATE INDEX "Big" ON "Big" ("K") WITH PRIMARY)");
    for (int i = 0; i < 3000; ++i)
        target.run("INSERT INTO \"Big\" VALUES (" + std::to_string(i) + ", '" + padded(i, 73) +
                   "')");
    const auto header = headerOf(folder.path() / "Big.db");
    EXPECT_EQ(header[hdr::kVersion], hdr::kVersionLevel7);
    EXPECT_EQ(header[hdr::kMaxTableSize], 16);
    EXPECT_EQ(headerOf(folder.path() / "Big.px")[hdr::kVersion], hdr::kVersionLevel7);
    expectSound(folder.path(), "Big");
    const PxTable independent = readWithPxlib(folder.path() / "Big.db");
    ASSERT_EQ(independent.rows.size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(independent.rows[static_cast<std::size_t>(i)][0].number, i);
        ASSERT_EQ(independent.rows[static_cast<std::size_t>(i)][1].text, padded(i, 73));
    }
    EXPECT_EQ(target.count("Big"), 3000);
}

// 32,768 would be written as the blank of the Short the index stores block numbers in.
TEST(TableSize, AKeyedTableStopsAt32767BlocksWithItsIndexWhole) {
    ScratchFolder folder;
    Target target(folder.path());
    // 8 records of 244 bytes in each 2 KB block: 262,136 rows fill 32,767 blocks.
    target.run(R"(CREATE TABLE "Full"("K" INT, "T" TEXT(240)))");
    target.run(R"(CREATE INDEX "Full" ON "Full" ("K") WITH PRIMARY)");
    const std::string text(240, 'v');
    int i = 0;
    std::string error;
    for (; i < 300'000; ++i) {
        try {
            target.run("INSERT INTO \"Full\" VALUES (" + std::to_string(i) + ", '" + text + "')");
        } catch (const std::exception& e) {
            error = e.what();
            break;
        }
    }
    EXPECT_EQ(i, 32767 * 8);
    EXPECT_NE(error.find("32767 blocks"), std::string::npos) << error;
    expectSound(folder.path(), "Full");
    const PxTable index = readWithPxlib(folder.path() / "Full.px");
    ASSERT_FALSE(index.rows.empty());
    for (const auto& entry : index.rows)
        for (const auto& value : entry) ASSERT_FALSE(value.blank);
    EXPECT_EQ(readWithPxlib(folder.path() / "Full.db").rows.size(), 32767u * 8);
}

}  // namespace
}  // namespace velmora::paradox::test

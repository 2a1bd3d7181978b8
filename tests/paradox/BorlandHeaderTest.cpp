// A table of the same shape as a Borland-written one, with the same rows, gets the same
// header bytes wherever the header describes the table rather than the process that
// last wrote it (docs/paradox-format.md says which bytes those are and why).

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/Corpus.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

std::vector<unsigned char> bytesOf(const std::filesystem::path& file, std::size_t count) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    return bytes;
}

// Offsets in [0, size) where the two headers differ, leaving out `skipped` ranges.
std::vector<std::size_t> differences(
    const std::vector<unsigned char>& ours, const std::vector<unsigned char>& borland,
    const std::vector<std::pair<std::size_t, std::size_t>>& skipped) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        bool skip = false;
        for (const auto& [from, to] : skipped) skip = skip || (i >= from && i < to);
        if (!skip && ours[i] != borland[i]) offsets.push_back(i);
    }
    return offsets;
}

std::string text(const std::vector<unsigned char>& bytes, std::size_t at) {
    return std::string(reinterpret_cast<const char*>(bytes.data() + at));
}

}  // namespace

// AREACODES.DB: level 7, 16 KB blocks, code page 1252 under DBWINUS0, keyed on its first
// of three Alpha fields, 370 rows in four blocks.
TEST(BorlandHeader, SameShapeGivesBorlandsHeader) {
    VELMORA_CORPUS_FOLDER(corpus, "paradox");
    const auto borland = *corpus / "paradoxdriver-tests" / "db";
    ScratchFolder source;
    copyFromCorpus(borland, "AREACODES.DB", source.path());
    const auto rows = Target(source.path()).rows("AREACODES");

    ScratchFolder folder;
    Target target(folder.path());
    // ROWS asks for the 16 KB blocks Borland's table has.
    target.run(
        R"(CREATE TABLE "AREACODES"("AC" TEXT(5), "State" TEXT(3), "Cities" TEXT(157)) ROWS 1000000)");
    target.run(R"(CREATE INDEX "AREACODES" ON "AREACODES" ("AC") WITH PRIMARY)");
    const auto literal = [](const db::Value& v) {
        if (v.isNull()) return std::string("NULL");
        std::string quoted = "'";
        for (const char c : v.asText()) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        return quoted + "'";
    };
    for (const auto& row : rows)
        target.run("INSERT INTO \"AREACODES\" VALUES (" + literal(row[0]) + ", " + literal(row[1]) +
                   ", " + literal(row[2]) + ")");

    // The .db: 0x12 (see the format notes), the last writer's in-memory pointers (0x16-0x1D,
    // 0x30-0x37 and after the field table), its change counts (0x2D, 0x2E, 0x70) and update
    // time (0x60), and the table name ("resttemp.DB" after Borland's restructure).
    constexpr std::size_t fields = 3, tableNameAt = 0x78 + 6 * fields + 4;
    const auto ours = bytesOf(folder.path() / "AREACODES.db", 0x800);
    const auto theirs = bytesOf(borland / "AREACODES.DB", 0x800);
    EXPECT_EQ(differences(ours, theirs,
                          {{0x12, 0x14},
                           {0x16, 0x1E},
                           {0x2D, 0x2F},
                           {0x30, 0x38},
                           {0x60, 0x64},
                           {0x70, 0x72},
                           {0x78 + 2 * fields, tableNameAt + 261}}),
              std::vector<std::size_t>{});
    EXPECT_EQ(text(ours, tableNameAt), "AREACODES.db");
    EXPECT_EQ(text(ours, tableNameAt + 261), "AC");
    EXPECT_EQ(ours[0x12], 3);
    EXPECT_NE(ours[0x16] | ours[0x17] | ours[0x18] | ours[0x19], 0)
        << "a keyed table points at its index";

    // The .px: its change count (0x2C), pointers and table name ("resttemp.PX").
    const auto ourIndex = bytesOf(folder.path() / "AREACODES.px", 0x800);
    const auto theirIndex = bytesOf(borland / "AREACODES.PX", 0x800);
    EXPECT_EQ(differences(ourIndex, theirIndex,
                          {{0x12, 0x14}, {0x2C, 0x2D}, {0x30, 0x38}, {0x5A, 0x5E + 261}}),
              std::vector<std::size_t>{});
    EXPECT_EQ(text(ourIndex, 0x5E), "AREACODES.PX");
    EXPECT_EQ(ourIndex[0x2C], ours[0x2D]) << "the index keeps its table's change count";
}

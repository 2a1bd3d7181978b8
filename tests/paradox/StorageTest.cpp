// How rows are kept: keys in order whatever order they arrive in, blocks split and the
// primary index growing levels, headers right after each statement for other readers,
// DELETE, DROP, CREATE INDEX on a filled table, the table list and the connection.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>

#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "paradox/HeaderLayout.h"
#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox::test;
namespace fs = std::filesystem;

namespace {

std::vector<int> shuffled(int count, unsigned seed) {
    std::vector<int> keys(static_cast<std::size_t>(count));
    std::iota(keys.begin(), keys.end(), 0);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(seed));
    return keys;
}

std::vector<unsigned char> headerOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes(0x80);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string key(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "key%06d", i);
    return text;
}

void expectSound(const fs::path& folder, const std::string& table) {
    const auto problems = paradox::checkTable(folder, table);
    ASSERT_TRUE(problems.empty()) << table << ": " << problems.front();
}

}  // namespace

TEST(Storage, KeysInAnyOrderSplitBlocksAndGrowIndexLevels) {
    ScratchFolder folder;
    Target target(folder.path());
    // 255-byte keys: 15 index entries per 4 KB index block, so a few thousand rows need
    // three index levels.
    target.run(R"(CREATE TABLE "Wide"("K" TEXT(255), "N" INT))");
    target.run(R"(CREATE INDEX "Wide" ON "Wide" ("K") WITH PRIMARY)");
    const auto keys = shuffled(3000, 7);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        target.run("INSERT INTO \"Wide\" VALUES ('" + key(keys[i]) + "', " +
                   std::to_string(keys[i]) + ")");
        if (i % 500 == 0 || i < 40) expectSound(folder.path(), "Wide");
    }
    expectSound(folder.path(), "Wide");
    EXPECT_GE(headerOf(folder.path() / "Wide.px")[paradox::hdr::kIndexLevels], 3);

    const auto rows = target.rows("Wide");
    ASSERT_EQ(rows.size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(rows[static_cast<std::size_t>(i)][0].asText(), key(i));
        ASSERT_EQ(rows[static_cast<std::size_t>(i)][1].asInt(), i);
    }
    const PxTable independent = readWithPxlib(folder.path() / "Wide.db");
    ASSERT_EQ(independent.rows.size(), 3000u);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(independent.rows[static_cast<std::size_t>(i)][0].text, key(i));
}

TEST(Storage, AscendingKeysFillBlocksAndDescendingKeysStayInOrder) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(
        R"(CREATE TABLE "Up"("K" INT, "A" TEXT(20)))");  // 24-byte records: 85 per 2 KB block
    target.run(R"(CREATE INDEX "Up" ON "Up" ("K") WITH PRIMARY)");
    target.run(R"(CREATE TABLE "Down"("K" INT, "A" TEXT(20)))");
    target.run(R"(CREATE INDEX "Down" ON "Down" ("K") WITH PRIMARY)");
    for (int i = 0; i < 2000; ++i) {
        target.run("INSERT INTO \"Up\" VALUES (" + std::to_string(i) + ", 'up')");
        target.run("INSERT INTO \"Down\" VALUES (" + std::to_string(-i) + ", 'down')");
    }
    const auto header = headerOf(folder.path() / "Up.db");
    EXPECT_EQ(header[paradox::hdr::kMaxTableSize], 2);  // 2 KB blocks, as Borland's level 5 tables
    EXPECT_EQ(header[paradox::hdr::kVersion], paradox::hdr::kVersionLevel5);
    EXPECT_EQ(fs::file_size(folder.path() / "Up.db"),
              2048u + 24u * 2048u);  // ceil(2000 / 85) full blocks
    expectSound(folder.path(), "Up");
    expectSound(folder.path(), "Down");
    const auto down = target.rows("Down");
    ASSERT_EQ(down.size(), 2000u);
    for (std::size_t i = 1; i < down.size(); ++i)
        ASSERT_LT(down[i - 1][0].asInt(), down[i][0].asInt());
}

TEST(Storage, OtherReadersSeeEveryStatementAtOnce) {
    ScratchFolder folder;
    Target writer(folder.path());
    Target reader(folder.path());
    writer.run(R"(CREATE TABLE "Live"("K" INT, "M" MEMO))");
    writer.run(R"(CREATE INDEX "Live" ON "Live" ("K") WITH PRIMARY)");
    for (int i = 0; i < 200; ++i) {
        writer.run("INSERT INTO \"Live\" VALUES (" + std::to_string((i * 37) % 200) +
                   ", 'memo number " + std::to_string(i) + "')");
        if (i % 37 == 0) {
            EXPECT_EQ(reader.count("Live"), i + 1);
            expectSound(folder.path(), "Live");
        }
    }
    EXPECT_EQ(reader.rows("Live").size(), 200u);
}

TEST(Storage, SecondWriterIsRefusedWhileTheFirstHoldsTheTable) {
    ScratchFolder folder;
    auto first = std::make_unique<Target>(folder.path());
    Target second(folder.path());
    first->run(R"(CREATE TABLE "Shared"("K" INT))");
    first->run(R"(INSERT INTO "Shared" VALUES (1))");
    EXPECT_NE(
        errorOf(second, R"(INSERT INTO "Shared" VALUES (2))").find("locked by another program"),
        std::string::npos);
    first.reset();  // closing the connection releases the table
    second.run(R"(INSERT INTO "Shared" VALUES (2))");
    EXPECT_EQ(second.count("Shared"), 2);
}

TEST(Storage, DeleteEmptiesTheTableAndItsFiles) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "Gone"("K" INT, "M" MEMO, "O" AUTOINCREMENT))");
    target.run(R"(CREATE INDEX "Gone" ON "Gone" ("K") WITH PRIMARY)");
    for (int i = 0; i < 300; ++i)
        target.run("INSERT INTO \"Gone\" (K, M) VALUES (" + std::to_string(i) + ", '" +
                   std::string(100, 'x') + "')");
    target.run(R"(DELETE FROM "Gone")");
    EXPECT_EQ(target.count("Gone"), 0);
    EXPECT_EQ(fs::file_size(folder.path() / "Gone.db"), 2048u);
    EXPECT_EQ(fs::file_size(folder.path() / "Gone.px"), 2048u);
    EXPECT_EQ(fs::file_size(folder.path() / "Gone.mb"), 4096u);
    expectSound(folder.path(), "Gone");
    target.run(R"(INSERT INTO "Gone" (K, M) VALUES (5, 'again'))");
    const auto rows = target.rows("Gone");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].asText(), "again");
    EXPECT_EQ(rows[0][2].asInt(), 301);  // the autoincrement counter goes on
    expectSound(folder.path(), "Gone");
}

TEST(Storage, DropRemovesTheWholeFamilyAndNothingElse) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "Fam"("K" INT, "M" MEMO))");
    target.run(R"(CREATE INDEX "Fam" ON "Fam" ("K") WITH PRIMARY)");
    target.run(R"(INSERT INTO "Fam" VALUES (1, 'a memo that goes to the .mb file'))");
    target.run(R"(CREATE TABLE "Family"("K" INT))");
    for (const char* name :
         {"Fam.X02", "FAM.Y02", "Fam.XG0", "Fam.val", "Fam.TV", "Fam.txt", "Famx.px"})
        std::ofstream(folder.path() / name) << "x";
    target.run(R"(DROP TABLE "FAM")");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Fam.txt", "Family.db", "Famx.px"}));
    target.run(R"(CREATE TABLE "Fam"("K" INT))");  // the name is free again
}

TEST(Storage, PrimaryIndexOnATableThatHasRows) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "Late"("K" INT, "A" TEXT(10), "M" MEMO))");
    for (int k : shuffled(400, 3))
        target.run("INSERT INTO \"Late\" VALUES (" + std::to_string(k) + ", 'r" +
                   std::to_string(k) + "', '" + std::string(static_cast<std::size_t>(k % 50), 'm') +
                   "')");
    target.run(R"(CREATE INDEX "Late" ON "Late" ("K") WITH PRIMARY)");
    EXPECT_EQ(headerOf(folder.path() / "Late.db")[paradox::hdr::kFileType],
              paradox::hdr::kFileTypeKeyed);
    expectSound(folder.path(), "Late");
    const auto rows = target.rows("Late");
    ASSERT_EQ(rows.size(), 400u);
    for (int k = 0; k < 400; ++k) {
        ASSERT_EQ(rows[static_cast<std::size_t>(k)][0].asInt(), k);
        ASSERT_EQ(rows[static_cast<std::size_t>(k)][1].asText(), "r" + std::to_string(k));
        if (k % 50 == 0) {
            ASSERT_TRUE(rows[static_cast<std::size_t>(k)][2].isNull());
        } else {
            ASSERT_EQ(rows[static_cast<std::size_t>(k)][2].asText().size(),
                      static_cast<std::size_t>(k % 50));
        }
    }
    target.run(R"(INSERT INTO "Late" VALUES (1000, 'after', NULL))");
    expectSound(folder.path(), "Late");
    for (const auto& entry : fs::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().string().find("~new"), std::string::npos);
}

TEST(Storage, TableListAndConnection) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "B"("K" INT))");
    target.run(R"(CREATE TABLE "A"("K" INT))");
    auto tables = target.connection.openSchema(20);
    std::vector<std::string> names;
    while (!tables->eof()) {
        EXPECT_EQ(tables->fields().item("TABLE_TYPE").value().asText(), "TABLE");
        names.push_back(tables->fields().item("TABLE_NAME").value().asText());
        tables->moveNext();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));

    auto failsToOpen = [](const std::string& connectionString, const std::string& expected) {
        db::Connection connection;
        try {
            connection.open(connectionString);
            ADD_FAILURE() << "opened: " << connectionString;
        } catch (const db::DbError& e) {
            EXPECT_NE(e.description().find(expected), std::string::npos) << e.description();
        }
    };
    failsToOpen(connectionString(folder.path() / "missing"), "does not exist");
    std::ofstream(folder.path() / "plain.txt") << "x";
    failsToOpen(connectionString(folder.path() / "plain.txt"), "is not a folder");
    failsToOpen("Driver={Microsoft Paradox Driver (*.db )};Fil=Paradox 7.X;Dbq=" +
                    folder.path().string() + "/;",
                "writes Paradox 5.X tables");
    failsToOpen("Driver={Microsoft Paradox Driver (*.db )};", "names no folder");
}

// Damaged files give clear errors and are never changed: a block chain that runs in a
// circle, a file cut short, a header that is not a table's, an index that does not fit.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>

#include "dataaccess/DbError.h"
#include "paradox/KeyedLookup.h"
#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox::test;
namespace fs = std::filesystem;

namespace {

void overwrite(const fs::path& file, std::streamoff at, const std::string& bytes) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readError(Target& target, const std::string& table) {
    try {
        target.rows(table);
    } catch (const db::DbError& e) {
        return e.description();
    }
    return "no error";
}

class DamagedTable : public ::testing::Test {
  protected:
    void SetUp() override {
        Target writer(folder.path());
        writer.run(R"(CREATE TABLE "T"("K" INT, "A" TEXT(100)))");
        writer.run(R"(CREATE INDEX "T" ON "T" ("K") WITH PRIMARY)");
        for (int k = 0; k < 40; ++k)
            writer.run("INSERT INTO \"T\" VALUES (" + std::to_string(k) + ", 'x')");
    }
    void expectRefusedAndUnchanged(const std::string& readProblem) {
        Target target(folder.path());
        EXPECT_NE(readError(target, "T").find(readProblem), std::string::npos)
            << readError(target, "T");
        const FolderBytes before = snapshot(folder.path());
        errorOf(target, R"(INSERT INTO "T" VALUES (100, 'y'))");
        EXPECT_EQ(snapshot(folder.path()), before);
    }
    ScratchFolder folder;
};

}  // namespace

TEST_F(DamagedTable, ChainRunningInACircle) {
    overwrite(folder.path() / "T.db", 0x800 + 2048,
              std::string("\x02\x00", 2));  // block 2 -> block 2
    expectRefusedAndUnchanged("the block chain runs in a circle");
}

TEST_F(DamagedTable, FileCutShort) {
    fs::resize_file(folder.path() / "T.db", 0x800 + 2048 + 100);
    expectRefusedAndUnchanged("cannot be read");
}

TEST_F(DamagedTable, HeaderOfAnotherKind) {
    overwrite(folder.path() / "T.db", 4, std::string("\x07", 1));
    expectRefusedAndUnchanged("its header does not describe a data table");
}

TEST_F(DamagedTable, IndexForAnotherKey) {
    overwrite(folder.path() / "T.px", 0, std::string("\x0B\x00", 2));  // entries one byte longer
    Target target(folder.path());
    EXPECT_EQ(target.count("T"), 40);  // reading needs no index
    const FolderBytes before = snapshot(folder.path());
    EXPECT_NE(errorOf(target, R"(INSERT INTO "T" VALUES (100, 'y'))")
                  .find("does not match the table's key"),
              std::string::npos);
    EXPECT_EQ(snapshot(folder.path()), before);
}

namespace {

// Every lookup the search in key order answers as the descent from the root answers it:
// the same record in the same block, nothing, or the same error.
std::string lookedUp(const paradox::KeyedLookup& lookup, const std::uint8_t* key,
                     paradox::KeyedLookup::InOrderSearch* search) {
    try {
        std::uint16_t block = 0;
        const std::uint8_t* record = search ? search->find(key, &block) : lookup.find(key, &block);
        if (record == nullptr) return "none";
        return std::to_string(record - key) + "@" + std::to_string(block);
    } catch (const db::DbError& e) {
        return e.description();
    }
}

}  // namespace

TEST(DamagedIndex, TheSearchInKeyOrderFindsWhatTheDescentFindsInBlocksInAnyOrder) {
    ScratchFolder built;
    {
        Target writer(built.path());
        writer.run(R"(CREATE TABLE "T"("K" INT, "A" TEXT(100)))");
        writer.run(R"(CREATE INDEX "T" ON "T" ("K") WITH PRIMARY)");
        for (int k = 0; k < 4000; ++k)  // out of order: half-full blocks, two index levels
            writer.run("INSERT INTO \"T\" VALUES (" + std::to_string(k * 7919 % 4000 * 2) +
                       ", 'x')");
    }
    std::mt19937 random(7);
    for (int mutant = 0; mutant < 60; ++mutant) {
        ScratchFolder folder;
        for (const char* file : {"T.db", "T.px"})
            fs::copy_file(built.path() / file, folder.path() / file);
        // Keys changed or swapped inside blocks (out of order), and now and then any byte.
        for (int change = 0; change < 1 + mutant % 4; ++change) {
            const fs::path file = folder.path() / (random() % 2 ? "T.db" : "T.px");
            const auto size = static_cast<std::uint32_t>(fs::file_size(file));
            const std::uint32_t at = 0x800 + random() % (size - 0x800);
            overwrite(file, at, std::string(1, static_cast<char>(random() % 256)));
        }
        std::unique_ptr<paradox::KeyedLookup> lookup;
        try {
            lookup = std::make_unique<paradox::KeyedLookup>(folder.path() / "T.db",
                                                            folder.path() / "T.px", false, "T");
        } catch (const db::DbError&) {
            continue;
        }
        // The table's own records in block order, each followed by a key between records,
        // then keys in no order.
        std::vector<std::vector<std::uint8_t>> keys;
        const auto keyOf = [&](std::uint32_t k) {
            std::vector<std::uint8_t> key(4);
            for (int i = 0; i < 4; ++i)
                key[static_cast<std::size_t>(i)] = (k >> (24 - 8 * i)) & 0xFF;
            return key;
        };
        try {
            lookup->forEach([&](const std::uint8_t* record, std::uint16_t) {
                keys.emplace_back(record, record + 4);
                keys.push_back(keys.back());
                keys.back()[3] ^= 1;
            });
        } catch (const db::DbError&) {
        }
        for (int i = 0; i < 300; ++i) keys.push_back(keyOf(0x80000000u + random() % 8100));
        paradox::KeyedLookup::InOrderSearch search(*lookup);
        for (const auto& key : keys) {
            // Offsets from the key's own buffer compare the records found by both.
            const std::string descent = lookedUp(*lookup, key.data(), nullptr);
            ASSERT_EQ(lookedUp(*lookup, key.data(), &search), descent) << "mutant " << mutant;
        }
    }
}

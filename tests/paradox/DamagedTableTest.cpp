// Damaged files give clear errors and are never changed: a block chain that runs in a
// circle, a file cut short, a header that is not a table's, an index that does not fit.

#include <gtest/gtest.h>

#include <fstream>

#include "dataaccess/DbError.h"
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

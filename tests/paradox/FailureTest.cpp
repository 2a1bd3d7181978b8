// Statements that fail half-way or meet files they may not change: a full disk, a table
// removed, write-protected or locked by another program. Each is reported, earlier rows
// stay readable, and a refused statement changes no byte.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "dataaccess/DbError.h"
#include "paradox/TableCheck.h"
#include "paradox/TableFiles.h"
#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/FileSizeLimit.h"

using namespace velmora;
using namespace velmora::paradox::test;
using velmora::test::FileSizeLimit;
namespace fs = std::filesystem;

namespace {

void createKeyed(Target& target, const std::string& name) {
    target.run("CREATE TABLE \"" + name + "\"(\"K\" INT, \"A\" TEXT(100), \"M\" MEMO)");
    target.run("CREATE INDEX \"" + name + "\" ON \"" + name + "\" (\"K\") WITH PRIMARY");
}

std::string row(int key, const std::string& memo = "m") {
    return "INSERT INTO \"T\" VALUES (" + std::to_string(key) + ", 'row " + std::to_string(key) +
           "', '" + memo + "')";
}

}  // namespace

TEST(Failure, FullDiskKeepsTheTableAsItWas) {
    ScratchFolder folder;
    Target target(folder.path());
    createKeyed(target, "T");
    for (int k = 0; k < 19; ++k)
        target.run(row(k * 10));  // 19 records of 114 bytes: 2 KB blocks hold 17
    const FolderBytes before = snapshot(folder.path());
    const auto dataSize = fs::file_size(folder.path() / "T.db");
    {
        FileSizeLimit limit(dataSize);
        // Needs a new data block (a split of the full first block): refused, nothing written.
        EXPECT_NE(errorOf(target, row(5)).find("failed"), std::string::npos);
        EXPECT_EQ(snapshot(folder.path()), before);
    }
    {
        FileSizeLimit limit(dataSize + 2048);
        // Gets its new data block, but its memo needs two more .mb blocks: the data block
        // is given back.
        EXPECT_NE(errorOf(target, row(5, std::string(5000, 'x'))).find("failed"),
                  std::string::npos);
        EXPECT_EQ(snapshot(folder.path()), before);
    }
    EXPECT_EQ(target.count("T"), 19);
    EXPECT_TRUE(paradox::checkTable(folder.path(), "T").empty());
    target.run(row(5, std::string(5000, 'x')));  // room again
    EXPECT_EQ(target.rows("T")[1][2].asText(), std::string(5000, 'x'));
    EXPECT_TRUE(paradox::checkTable(folder.path(), "T").empty());
}

TEST(Failure, TableRemovedBetweenStatementsIsReported) {
    ScratchFolder folder;
    Target target(folder.path());
    createKeyed(target, "T");
    target.run(row(1));
    fs::remove(folder.path() / "T.db");
    fs::remove(folder.path() / "T.px");
    fs::remove(folder.path() / "T.mb");
    // It ends the table that was being written (one report), not the run.
    EXPECT_NE(
        errorOf(target, row(2)).find("The table \"T\" was removed while it was being written"),
        std::string::npos);
    EXPECT_NE(errorOf(target, row(2)).find("The table \"T\" does not exist"), std::string::npos);
    createKeyed(target, "T");  // a new table under the old name is a fresh start
    target.run(row(3));
    EXPECT_EQ(target.count("T"), 1);
}

// Between single statements, and between batches, whose statements look once at the folder.
TEST(Failure, TableReplacedByAnotherProgramIsOpenedAgain) {
    ScratchFolder folder;
    Target target(folder.path());
    createKeyed(target, "T");
    target.run(row(1));
    auto replaceByAnother = [&](int key) {
        {
            Target other(folder.path());  // stands for another program
            createKeyed(other, "Other");
            other.run("INSERT INTO \"Other\" VALUES (" + std::to_string(key) + ", 'other', NULL)");
        }
        for (const char* extension : {".db", ".px", ".mb"})
            fs::rename(folder.path() / ("Other" + std::string(extension)),
                       folder.path() / ("T" + std::string(extension)));
    };
    replaceByAnother(100);
    target.run(row(2));
    auto rows = target.rows("T");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].asInt(), 2);
    EXPECT_EQ(rows[1][0].asInt(), 100);
    EXPECT_TRUE(paradox::checkTable(folder.path(), "T").empty());

    replaceByAnother(200);
    target.connection.beginBatch();
    target.run(row(3));
    target.run(row(4));
    target.connection.endBatch();
    rows = target.rows("T");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].asInt(), 3);
    EXPECT_EQ(rows[2][0].asInt(), 200);
    EXPECT_TRUE(paradox::checkTable(folder.path(), "T").empty());
}

TEST(Failure, ReadOnlyFilesAndFoldersAreLeftUntouched) {
    ScratchFolder folder;
    Target target(folder.path());
    createKeyed(target, "T");
    target.run(row(1));
    fs::permissions(folder.path() / "T.db",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const FolderBytes before = snapshot(folder.path());
    EXPECT_NE(errorOf(target, row(2)).find("is read-only"), std::string::npos);
    EXPECT_NE(errorOf(target, R"(DELETE FROM "T")").find("is read-only"), std::string::npos);
    EXPECT_NE(errorOf(target, R"(DROP TABLE "T")").find("is read-only"), std::string::npos);
    EXPECT_EQ(snapshot(folder.path()), before);
    EXPECT_EQ(target.count("T"), 1);  // reading still works

    fs::permissions(folder.path() / "T.db", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NE(errorOf(target, R"(CREATE TABLE "New"("K" INT))").find("is read-only"),
              std::string::npos);
    EXPECT_NE(errorOf(target, R"(DROP TABLE "T")").find("is read-only"), std::string::npos);
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(snapshot(folder.path()), before);
    target.run(row(2));
    EXPECT_EQ(target.count("T"), 2);
}

TEST(Failure, TableLockedByAnotherProgram) {
    ScratchFolder folder;
    Target target(folder.path());
    createKeyed(target, "T");
    target.run(row(1));
    target.connection.close();  // lets the other program take the lock
    const int fd = ::open((folder.path() / "T.db").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);
    const FolderBytes before = snapshot(folder.path());
    Target again(folder.path());
    EXPECT_NE(errorOf(again, row(2)).find("locked by another program"), std::string::npos);
    EXPECT_NE(errorOf(again, R"(DROP TABLE "T")").find("locked by another program"),
              std::string::npos);
    EXPECT_EQ(snapshot(folder.path()), before);
    ::close(fd);
    again.run(row(2));
    EXPECT_EQ(again.count("T"), 2);
}

TEST(Failure, TableIsLockedFromItsCreationUntilTheWriterIsDone) {
    ScratchFolder folder;
    Target first(folder.path());
    Target second(folder.path());
    createKeyed(first, "T");
    first.run(row(1));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_NE(errorOf(second, R"(DROP TABLE "T")").find("locked by another program"),
              std::string::npos);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_NE(errorOf(second, row(2)).find("locked by another program"), std::string::npos);
    first.run(row(3));
    first.connection.close();
    second.run(R"(DROP TABLE "T")");
    EXPECT_TRUE(paradox::tableNames(folder.path()).empty());
}

// The faults that end a table carry their own numbers, so the run can stop the table (or
// itself) with one report instead of one per row.
TEST(Failure, FaultsThatEndATableAreNumbered) {
    ScratchFolder outer;
    const fs::path folder = outer.path() / "target";
    fs::create_directory(folder);
    Target target(folder);
    createKeyed(target, "T");
    target.run(row(1));
    Target other(folder);
    auto numberOf = [](Target& t, const std::string& statement) {
        try {
            t.run(statement);
        } catch (const db::DbError& e) {
            return e.number();
        }
        return 0L;
    };
    EXPECT_EQ(numberOf(other, row(2)), db::errc::kTargetLocked);
    {
        FileSizeLimit full(fs::file_size(folder / "T.db"));
        long number = 0;
        for (int k = 2; k < 100 && number == 0; ++k) number = numberOf(target, row(k));
        EXPECT_EQ(number, db::errc::kTargetFull);
    }
    fs::remove_all(folder);
    EXPECT_EQ(numberOf(target, row(101)), db::errc::kTargetGone);
    EXPECT_NE(errorOf(target, row(102)).find("no longer exists"), std::string::npos);
}

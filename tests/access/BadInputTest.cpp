// Bad input gets a clear error and no crash: bad paths and files, truncated and damaged
// databases, statements the provider does not run.

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "access/RowPlan.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"
#include "tests/access/TableContents.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

// The description of the error that opening `path` raises ("" when it opens).
std::string openError(const std::string& path) {
    db::Connection connection;
    try {
        connection.open(connectionStringFor(path));
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), db::errc::kProviderFailure) << e.description();
        return e.description();
    }
    return "";
}

// Opens the database and reads every value of every table the schema lists; returns
// the number of rows. Any failure must be a DbError; a table that leaves rows out counts
// them.
std::int64_t readWholeDatabase(const fs::path& file) {
    db::Connection connection;
    connection.open(connectionStringFor(file));
    std::vector<std::string> tables;
    auto schema = connection.openSchema(db::ado::adSchemaTables);
    for (; !schema->eof(); schema->moveNext())
        if (schema->fields().item("TABLE_TYPE").value().asText() != "VIEW" &&
            schema->fields().item("TABLE_TYPE").value().asText() != "LINK")
            tables.push_back(schema->fields().item("TABLE_NAME").value().asText());
    std::int64_t rows = 0;
    for (const std::string& table : tables) {
        db::Recordset rs;
        rs.open("SELECT * FROM `" + table + "`", connection);
        std::int64_t delivered = 0;
        for (; !rs.eof(); rs.moveNext(), ++delivered)
            for (int i = 0; i < rs.fields().count(); ++i) (void)rs.fields()[i].value();
        std::int64_t lost = 0;
        bool known = true;
        for (const db::LostRows& loss : rs.lostRows()) {
            lost += loss.count;
            known = known && loss.countKnown;
        }
        if (known) {
            EXPECT_EQ(delivered + lost, rs.recordCount()) << table;
        }
        rows += delivered;
    }
    return rows;
}

void writeFile(const fs::path& file, const char* data, std::size_t size) {
    testing::writeFile(file, std::vector<char>(data, data + size));
}

TEST(BadPath, MissingFileIsNamedInTheError) {
    EXPECT_EQ(openError("/nonexistent/folder/db.mdb"),
              "Could not find file '/nonexistent/folder/db.mdb'.");
}

TEST(BadPath, EmptyPathIsRefused) {
    EXPECT_NE(openError("").find("Could not find file ''"), std::string::npos);
}

TEST(BadPath, FolderIsNotADatabase) {
    ScratchFolder folder;
    EXPECT_NE(openError(folder.path().string()).find("is a folder"), std::string::npos);
}

TEST(BadFile, ZeroLengthFile) {
    ScratchFolder folder;
    const fs::path file = folder.path() / "empty.mdb";
    writeFile(file, "", 0);
    EXPECT_NE(openError(file.string()).find("Unrecognized database format"), std::string::npos);
}

TEST(BadFile, TextFileIsNotAnAccessDatabase) {
    ScratchFolder folder;
    const fs::path file = folder.path() / "notes.mdb";
    const std::string text(20000, 'x');
    writeFile(file, text.data(), text.size());
    EXPECT_NE(openError(file.string()).find("Unrecognized database format"), std::string::npos);
}

TEST(BadFile, HeaderOnlyIsTooShort) {
    const auto sample = contentsOf(VELMORA_SAMPLE_DATABASE);
    ScratchFolder folder;
    const fs::path file = folder.path() / "header.mdb";
    writeFile(file, sample.data(), 4096);
    EXPECT_NE(openError(file.string()).find("Unrecognized database format"), std::string::npos);
}

// Every cut either fails with a DbError or gives each row it still holds at its place,
// counting the others lost: no silent loss.
TEST(DamagedDatabase, TruncatedFilesGiveTheRowsTheyStillHold) {
    const fs::path original = VELMORA_SAMPLE_DATABASE;
    const auto bytes = contentsOf(original);
    const DatabaseContents whole = readDatabase(original);
    ScratchFolder folder;
    const fs::path file = folder.path() / "cut.mdb";
    int failures = 0;
    for (std::size_t size = 4096 * 3; size < bytes.size(); size += 4096 + 1001) {
        writeFile(file, bytes.data(), size);
        SCOPED_TRACE("cut at " + std::to_string(size));
        try {
            const DatabaseContents cut = readDatabase(file);
            for (const auto& [name, table] : cut.tables) {
                if (!table.error.empty() || whole.tables.count(name) == 0) continue;
                const TableContents& full = whole.tables.at(name);
                for (const auto& [place, row] : table.rows)
                    EXPECT_TRUE(isOriginalRow(full, table, place, row)) << name << " row " << place;
                if (table.lostCountKnown()) {
                    EXPECT_EQ(static_cast<std::int64_t>(table.rows.size()) + table.lostCount(),
                              static_cast<std::int64_t>(full.rows.size()))
                        << name;
                }
            }
        } catch (const db::DbError& e) {
            EXPECT_FALSE(e.description().empty());
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);  // the shortest cuts lose the catalogue and every table with it
}

// Flips random bytes of real databases and reads them whole: whatever happens must be a
// DbError (the sanitizer build also checks that nothing reads out of bounds).
void fuzz(const fs::path& original, int mutants, unsigned seed) {
    const auto bytes = contentsOf(original);
    ScratchFolder folder;
    const fs::path file = folder.path() / original.filename();
    std::mt19937 random(seed);
    int failures = 0;
    for (int m = 0; m < mutants; ++m) {
        std::vector<char> damaged = bytes;
        const int flips = 1 + static_cast<int>(random() % 16);
        for (int f = 0; f < flips; ++f) {
            // Half the flips land in the first pages, where the catalogue and most table
            // definitions live.
            const std::size_t span =
                (random() % 2) ? std::min<std::size_t>(damaged.size(), 8 * 4096) : damaged.size();
            damaged[random() % span] ^= static_cast<char>(1 + random() % 255);
        }
        writeFile(file, damaged.data(), damaged.size());
        try {
            readWholeDatabase(file);
        } catch (const db::DbError& e) {
            EXPECT_FALSE(e.description().empty());
            ++failures;
        }
    }
    ::testing::Test::RecordProperty("mutants_failing_cleanly", failures);
}

TEST(DamagedDatabase, FlippedBytesInTheSampleNeverCrash) {
    fuzz(VELMORA_SAMPLE_DATABASE, 150, 1);
}

TEST(DamagedDatabase, FlippedBytesInCorpusFilesNeverCrash) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    for (const char* file :
         {"access/generated/edge_v2010.accdb", "access/generated/alltypes_500_v2019.accdb",
          "access/jackcess/src/test/data/V1997/testV1997.mdb",
          "access/jackcess/src/test/data/V2010/calcFieldTestV2010.accdb"}) {
        SCOPED_TRACE(file);
        fuzz(*root / file, 60, 7);
    }
}

class Statements : public ::testing::Test {
  protected:
    void SetUp() override { connection.open(connectionStringFor(VELMORA_SAMPLE_DATABASE)); }

    std::string queryError(const std::string& statement) {
        db::Recordset rs;
        try {
            rs.open(statement, connection);
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.number(), db::errc::kProviderFailure);
            return e.description();
        }
        return "";
    }
    db::Connection connection;
};

TEST_F(Statements, ExecuteIsRefusedBecauseTheProviderIsReadOnly) {
    try {
        connection.execute("DELETE FROM `Customers`");
        FAIL() << "execute must fail";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.description(), "Cannot update. Database or object is read-only.");
    }
}

TEST_F(Statements, OnlySelectStarFromAQuotedTableIsRun) {
    for (const char* statement :
         {"SELECT CustomerID FROM `Customers`", "SELECT * FROM Customers",
          "SELECT * FROM [Customers]", "SELECT * FROM `Customers` WHERE 1=1",
          "DELETE FROM `Customers`", "", "SELECT * FROM ``", "SELECT * FROM `Customers"}) {
        EXPECT_NE(queryError(statement).find("SELECT * FROM `table name`"), std::string::npos)
            << statement;
    }
    EXPECT_EQ(queryError("  select  *  from  `Customers` ; "), "");
}

TEST_F(Statements, UnknownTableIsNamed) {
    EXPECT_NE(
        queryError("SELECT * FROM `Nope`").find("cannot find the input table or query 'Nope'"),
        std::string::npos);
}

TEST_F(Statements, SchemaKindsOtherThanTablesAreRefused) {
    EXPECT_THROW(connection.openSchema(5), db::DbError);  // CHECK_CONSTRAINTS: none here
}

TEST(QueriesAndLinks, AreListedButNotRead) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    db::Connection queries;
    queries.open(
        connectionStringFor(*root / "access/jackcess/src/test/data/V2007/queryTestV2007.accdb"));
    db::Recordset rs;
    try {
        rs.open("SELECT * FROM `SelectQuery`", queries);
        FAIL() << "a query must not open as a table";
    } catch (const db::DbError& e) {
        EXPECT_NE(e.description().find("is a query"), std::string::npos) << e.description();
    }
    db::Connection links;
    links.open(
        connectionStringFor(*root / "access/jackcess/src/test/data/V2007/linkerTestV2007.accdb"));
    try {
        rs.open("SELECT * FROM `Table2`", links);
        FAIL() << "a linked table must not open";
    } catch (const db::DbError& e) {
        EXPECT_NE(e.description().find("linked table"), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace velmora::access::testing

namespace velmora::access::testing {

// A database cut short while it is read: every read past the new end is a clear error of
// ours, and nothing of libmdb's reaches the terminal.
TEST(DamagedDatabase, FileCutShortWhileReadFailsQuietly) {
    const auto sample = contentsOf(VELMORA_SAMPLE_DATABASE);
    ScratchFolder folder;
    const fs::path file = folder.path() / "cut.mdb";
    writeFile(file, sample.data(), sample.size());
    db::Connection connection;
    connection.open(connectionStringFor(file));
    fs::resize_file(file, 4096 * 3);
    ::testing::internal::CaptureStderr();
    std::string error;
    try {
        db::Recordset rs;
        rs.open("SELECT * FROM `Order Details`", connection);
        for (; !rs.eof(); rs.moveNext())
            for (int i = 0; i < rs.fields().count(); ++i) (void)rs.fields()[i].value();
    } catch (const db::DbError& e) {
        error = e.description();
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(error.find("lies past the end of the file"), std::string::npos) << error;
}

}  // namespace velmora::access::testing

namespace velmora::access::testing {

// The plan of a walk goes to the next walk over the same table only once, and never after
// the file changed: a stale plan would miss rows added since.
TEST(DamagedDatabase, PlanHandedOnOnceAndOnlyOverAnUnchangedFile) {
    ScratchFolder folder;
    const fs::path file = folder.path() / "plan.mdb";
    const std::string bytes(4096, 'x');
    writeFile(file, bytes.data(), bytes.size());
    PlanHandover handover(file.string());
    RowPlan plan;
    plan.rowCount = 7;
    handover.keep(5, plan);
    EXPECT_FALSE(handover.take(6).has_value());  // another table's
    handover.keep(5, plan);
    const auto taken = handover.take(5);
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->rowCount, 7);
    EXPECT_FALSE(handover.take(5).has_value());  // handed on once
    handover.keep(5, plan);
    std::ofstream(file, std::ios::binary | std::ios::app) << 'y';
    EXPECT_FALSE(handover.take(5).has_value());
    handover.keep(5, plan);
    fs::remove(file);
    EXPECT_FALSE(handover.take(5).has_value());
}

}  // namespace velmora::access::testing

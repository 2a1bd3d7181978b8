// Every kind of refused statement: the error says SQLException and what is wrong, and
// every file of the folder keeps every byte.

#include <gtest/gtest.h>

#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora::paradox::test;

namespace {

struct Refusal {
    std::string statement;
    std::string expected;  // part of the error text
};

class StatementError : public ::testing::Test {
  protected:
    void SetUp() override {
        target = std::make_unique<Target>(folder.path());
        target->run(
            R"(CREATE TABLE "T"("K" INT, "S" SMALLINT, "L" INT, "N" FLOAT, "M" CURRENCY, "B" DECIMAL(10,2), )"
            R"("D" DATE, "TM" TIME, "TS" TIMESTAMP, "Y" BIT, "A" TEXT(5), "O" AUTOINCREMENT, "X" BLOB))");
        target->run(R"(CREATE INDEX "T" ON "T" ("K") WITH PRIMARY)");
        target->run(R"(INSERT INTO "T" (K, A) VALUES (1, 'one'))");
        target->run(R"(CREATE TABLE "U"("A" TEXT(10), "B" INT))");
        target->run(R"(INSERT INTO "U" VALUES ('x', 1))");
        target->run(R"(INSERT INTO "U" VALUES ('x', 2))");
    }

    void expectRefused(const std::vector<Refusal>& refusals) {
        const FolderBytes before = snapshot(folder.path());
        for (const auto& r : refusals) {
            const std::string error = errorOf(*target, r.statement);
            EXPECT_NE(error.find(r.expected), std::string::npos)
                << r.statement << "\n  -> " << error;
            EXPECT_EQ(snapshot(folder.path()), before) << "files changed by: " << r.statement;
        }
        EXPECT_EQ(target->count("T"), 1);
    }

    ScratchFolder folder;
    std::unique_ptr<Target> target;
};

}  // namespace

TEST_F(StatementError, SyntaxNamesThePosition) {
    expectRefused({
        {"INSERT INTO \"T\" VALUE (1)", "Syntax error at position 17: expected VALUES"},
        {"CREATE TABLE \"N\" (\"a\" INT", "Syntax error at position 26"},
        {"CREATE TABLE \"N\" (\"a\" FOO)", "position 23: unknown column type \"FOO\""},
        {"CREATE TABLE \"N\" (\"a\" INT(4))", "the type INT takes no size"},
        {"SELECT K FROM \"T\"", "only SELECT * FROM table"},
    });
}

TEST_F(StatementError, TablesThatExistOrDoNot) {
    expectRefused({
        {R"(CREATE TABLE "t"("A" INT))", "The table \"t\" already exists"},  // names ignore case
        {R"(INSERT INTO "Missing" VALUES (1))", "The table \"Missing\" does not exist"},
        {R"(SELECT * FROM "Missing")", "does not exist"},
        {R"(SELECT COUNT(*) FROM Missing)", "does not exist"},
        {R"(DELETE FROM "Missing")", "does not exist"},
        {R"(DROP TABLE "Missing")", "does not exist"},
        {R"(CREATE INDEX "i" ON "Missing" ("A") WITH PRIMARY)", "does not exist"},
    });
}

TEST_F(StatementError, ValuesAndColumnsMustMatch) {
    expectRefused({
        {R"(INSERT INTO "T" VALUES (2, 1))", "gives 2 values, but table \"T\" has 13 columns"},
        {R"(INSERT INTO "T" (K, A) VALUES (2))", "names 2 columns but gives 1 values"},
        {R"(INSERT INTO "T" (K, Nope) VALUES (2, 3))", "has no column \"Nope\""},
        {R"(INSERT INTO "T" (K, A, a) VALUES (2, 'x', 'y'))", "named twice"},
        {R"(INSERT INTO "T" (K) VALUES (1))", "already has a row with the key \"K\" = 1"},
    });
}

TEST_F(StatementError, ValuesThatDoNotFit) {
    expectRefused({
        {R"(INSERT INTO "T" (K, A) VALUES (2, 'sixsix'))",
         "the text has 6 characters, the column holds 5"},
        {R"(INSERT INTO "T" (K, A) VALUES (2, '中'))", "does not exist in code page 1252"},
        {R"(INSERT INTO "T" (K, S) VALUES (2, 32768))", "outside the range -32767 to 32767"},
        {R"(INSERT INTO "T" (K, S) VALUES (2, -32768))", "outside the range -32767 to 32767"},
        {R"(INSERT INTO "T" (K, L) VALUES (2, 2147483648))",
         "outside the range -2147483647 to 2147483647"},
        {R"(INSERT INTO "T" (K, L) VALUES (2, -2147483648))", "outside the range"},
        {R"(INSERT INTO "T" (K, L) VALUES (2, 1.5))", "not a whole number"},
        {R"(INSERT INTO "T" (K, L) VALUES (2, 'abc'))", "it is not a number"},
        {R"(INSERT INTO "T" (K, L) VALUES (2, ''))", "an empty text is not a number"},
        {R"(INSERT INTO "T" (K, N) VALUES (2, 1e309))", "outside the range of a Number field"},
        {R"(INSERT INTO "T" (K, N) VALUES (2, 1e-400))", "too close to zero"},
        {R"(INSERT INTO "T" (K, M) VALUES (2, 1.23456))",
         "a Money field keeps at most 4 decimal places"},
        {R"(INSERT INTO "T" (K, M) VALUES (2, 12345678901234.5678))",
         "more digits than a Money field"},
        {R"(INSERT INTO "T" (K, B) VALUES (2, 1.005))", "more than 2 decimal places"},
        {R"(INSERT INTO "T" (K, B) VALUES (2, 1e30))",
         "more than 30 digits before the decimal point"},
        {R"(INSERT INTO "T" (K, D) VALUES (2, '02/30/2021'))", "there is no such date"},
        {R"(INSERT INTO "T" (K, D) VALUES (2, '03/05/21'))", "the year needs four digits"},
        {R"(INSERT INTO "T" (K, D) VALUES (2, '03/05/2021 14:05:09'))", "a Date field cannot hold"},
        {R"(INSERT INTO "T" (K, D) VALUES (2, 20210305))",
         "dates and times are written as quoted text"},
        {R"(INSERT INTO "T" (K, TM) VALUES (2, '03/05/2021 14:05:09'))",
         "a Time field cannot hold"},
        {R"(INSERT INTO "T" (K, TS) VALUES (2, '25:00'))", "the time of day is out of range"},
        {R"(INSERT INTO "T" (K, Y) VALUES (2, 2))",
         "a Logical field takes TRUE, FALSE, 1, 0 or -1"},
        {R"(INSERT INTO "T" (K, Y) VALUES (2, 'maybe'))", "a Logical field takes"},
        {R"(INSERT INTO "T" (K, O) VALUES (2, 0))", "autoincrement values start at 1"},
        {R"(INSERT INTO "T" (K, A) VALUES (2, X'41'))", "a hexadecimal value is not a text"},
        {R"(INSERT INTO "T" (K, X) VALUES (2, X'414'))", "an even number of digits"},
        {R"(INSERT INTO "T" (K, X) VALUES (2, 12))", "binary values are written as X'hex digits'"},
    });
}

TEST_F(StatementError, DefinitionsParadoxCannotHold) {
    std::string manyFields = "CREATE TABLE \"Wide\"(";
    for (int i = 0; i < 256; ++i)
        manyFields += (i ? ", \"F" : "\"F") + std::to_string(i) + "\" INT";
    manyFields += ")";
    std::string longRecord = "CREATE TABLE \"Long\"(";
    for (int i = 0; i < 130; ++i)
        longRecord += (i ? ", \"F" : "\"F") + std::to_string(i) + "\" TEXT(255)";
    longRecord += ")";
    expectRefused({
        {manyFields, "at most 255 fields"},
        {longRecord, "a Paradox record holds at most 32762 bytes"},
        {R"(CREATE TABLE "N"("A" TEXT(0)))",
         "size of column \"A\" must be between 1 and 255, not 0"},
        {R"(CREATE TABLE "N"("A" TEXT(256)))", "between 1 and 255"},
        {R"(CREATE TABLE "N"("A" DECIMAL(33)))",
         "precision of column \"A\" must be between 1 and 32"},
        {R"(CREATE TABLE "N"("A" DECIMAL(5,6)))", "cannot exceed its precision"},
        {R"(CREATE TABLE "N"("A" INT, "a" INT))", "appears twice"},
        {R"(CREATE TABLE "N"("ABCDEFGHIJKLMNOPQRSTUVWXYZ" INT))", "at most 25 characters"},
        {R"(CREATE TABLE "N"(" A" INT))", "starts with a blank"},
        {R"(CREATE TABLE "N"("A[1]" INT))", "one of [ ] { } ( )"},
        {R"(CREATE TABLE "N"("#" INT))", "\"#\" alone"},
        {R"(CREATE TABLE "N"("Ω" INT))", "code page 1252 cannot hold"},
        {R"(CREATE INDEX "U" ON "U" ("B") WITH PRIMARY)",
         "is field 2 of \"U\" but would have to be field 1"},
        {R"(CREATE INDEX "U" ON "U" ("A") WITH PRIMARY)",
         "has more than one row with the key \"A\" = 'x'"},
        {R"(CREATE INDEX "T" ON "T" ("K") WITH PRIMARY)", "already has a primary index"},
        {R"(CREATE INDEX "i" ON "U" ("A"))", "a secondary index needs one"},
        {R"(CREATE INDEX "i" ON "T" ("A", "X"))", "(Binary) cannot be part of an index"},
        {R"(CREATE DESC INDEX "i" ON "T" ("A"))", "A descending index needs a level 7 table"},
        {R"(CREATE INDEX "A" ON "T" ("A") CASE INSENSITIVE)", "can take the name of its field"},
        {R"(CREATE INDEX "i" ON "T" ("A", "A"))", "names column \"A\" twice"},
        {R"(CREATE UNIQUE INDEX "T" ON "T" ("K") WITH PRIMARY)", "takes no UNIQUE"},
    });
}

TEST_F(StatementError, TableNamesStayInsideTheFolder) {
    std::string tooLong(76, 'n');
    expectRefused({
        {R"(CREATE TABLE "../Outside"("A" INT))", "contains a path separator"},
        {R"(CREATE TABLE "a\b"("A" INT))", "contains a path separator"},
        {R"(SELECT * FROM "..")", "contains \"..\""},
        {R"(DROP TABLE "x..y")", "contains \"..\""},
        {"CREATE TABLE \"a\tb\"(\"A\" INT)", "contains a control character"},
        {R"(CREATE TABLE "CON"("A" INT))", "reserved device name"},
        {R"(INSERT INTO "lpt1.x" VALUES (1))", "reserved device name"},
        {R"(CREATE TABLE "a:b"("A" INT))", "cannot contain :"},
        {R"(CREATE TABLE "ends."("A" INT))", "cannot end with a blank or a dot"},
        {"CREATE TABLE \"" + tooLong + "\"(\"A\" INT)", "holds at most 75 characters"},
        {R"(CREATE TABLE "中文"("A" INT))", "code page 1252 cannot hold"},
    });
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "Outside.db"));
}

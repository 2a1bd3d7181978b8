// The statement grammar: what the conversion run generates, what users type, and syntax
// errors that name the position of the offending text.

#include <gtest/gtest.h>

#include "dataaccess/DbError.h"
#include "paradox/RepeatedInsert.h"
#include "paradox/SqlParser.h"

using namespace velmora::paradox::sql;

namespace {

// Statements keep views into their text: the literals here live for the whole test.
Statement parse(std::string_view text) {
    Statement statement;
    parseStatement(text, statement);
    return statement;
}

std::string syntaxError(std::string_view text) {
    try {
        parse(text);
    } catch (const velmora::db::DbError& e) {
        return e.description();
    }
    return "no error";
}

void expectSameStatement(const Statement& quick, const Statement& full) {
    EXPECT_EQ(quick.kind, full.kind);
    EXPECT_EQ(quick.table.raw.data(), full.table.raw.data());
    EXPECT_EQ(quick.table.raw.size(), full.table.raw.size());
    EXPECT_EQ(quick.table.closingQuote, full.table.closingQuote);
    EXPECT_EQ(quick.table.offset, full.table.offset);
    EXPECT_TRUE(quick.columns.empty() && full.columns.empty());
    ASSERT_EQ(quick.values.size(), full.values.size());
    for (std::size_t i = 0; i < full.values.size(); ++i) {
        SCOPED_TRACE(i);
        const Literal &a = quick.values[i], &b = full.values[i];
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.negative, b.negative);
        EXPECT_EQ(a.truth, b.truth);
        EXPECT_EQ(a.raw.data(), b.raw.data());
        EXPECT_EQ(a.raw.size(), b.raw.size());
        EXPECT_EQ(a.offset, b.offset);
    }
}

}  // namespace

TEST(SqlParser, GeneratedTableDefinition) {
    const auto s = parse(
        R"(CREATE TABLE "Customers"("TVXID" INT, "ID" INT, "Name" TEXT(50), "Balance" CURRENCY, "Photo" VARCHAR, "Joined" DATE);)");
    ASSERT_EQ(s.kind, StatementKind::CreateTable);
    EXPECT_EQ(s.table.text(), "Customers");
    ASSERT_EQ(s.definitions.size(), 6u);
    EXPECT_EQ(s.definitions[2].name.text(), "Name");
    EXPECT_EQ(s.definitions[2].type.raw, "TEXT");
    EXPECT_EQ(s.definitions[2].argumentCount, 1);
    EXPECT_EQ(s.definitions[2].arguments[0], 50);
    EXPECT_EQ(s.definitions[4].argumentCount, 0);

    const auto index = parse(R"(CREATE INDEX "Customers" ON "Customers" ("TVXID") with primary)");
    ASSERT_EQ(index.kind, StatementKind::CreateIndex);
    EXPECT_TRUE(index.primary);
    ASSERT_EQ(index.columns.size(), 1u);
    EXPECT_EQ(index.columns[0].text(), "TVXID");

    EXPECT_EQ(parse(R"(DROP TABLE "Customers")").kind, StatementKind::DropTable);
    EXPECT_EQ(parse("delete from Customers;").kind, StatementKind::DeleteAll);
    EXPECT_EQ(parse("Select * From `Customers`").kind, StatementKind::SelectAll);
    EXPECT_EQ(parse("SELECT COUNT ( * ) FROM [Customers]").kind, StatementKind::SelectCount);

    // Secondary indexes and what the key choice adds.
    const auto secondary = parse(
        R"(create unique desc index "byName" on "Customers" ("Name", "ID") case insensitive)");
    EXPECT_FALSE(secondary.primary);
    EXPECT_TRUE(secondary.unique && secondary.descending && secondary.caseInsensitive);
    EXPECT_EQ(secondary.index.text(), "byName");
    EXPECT_EQ(secondary.columns.size(), 2u);
    EXPECT_EQ(parse(R"(CREATE TABLE "T"("A" AUTOINC) LEVEL 7)").level, 7);
    const auto lookup = parse(R"(SELECT * FROM "Customers" WHERE "ID" = 7 AND "Name" = 'x')");
    ASSERT_EQ(lookup.columns.size(), 2u);
    EXPECT_EQ(lookup.values[1].raw, "x");
    const auto check = parse(R"(CHECK INDEX "byName" ON "Customers")");
    EXPECT_EQ(check.kind, StatementKind::CheckIndex);
    EXPECT_EQ(check.table.text(), "Customers");
}

TEST(SqlParser, InsertLiterals) {
    const auto s = parse(
        R"(INSERT INTO "Customers" VALUES(0,7, 'O''Brien', -12.5e-1, '', '03/05/2021', NULL, TRUE, X'0aFF', + 3))");
    ASSERT_EQ(s.kind, StatementKind::Insert);
    ASSERT_EQ(s.values.size(), 10u);
    EXPECT_EQ(s.values[1].kind, LiteralKind::Number);
    EXPECT_EQ(s.values[1].raw, "7");
    EXPECT_EQ(s.values[2].kind, LiteralKind::Text);
    std::string text;
    appendTextLiteral(s.values[2].raw, text);
    EXPECT_EQ(text, "O'Brien");
    EXPECT_TRUE(s.values[3].negative);
    EXPECT_EQ(s.values[3].raw, "12.5e-1");
    EXPECT_EQ(s.values[4].raw, "");
    EXPECT_EQ(s.values[6].kind, LiteralKind::Null);
    EXPECT_EQ(s.values[7].kind, LiteralKind::Boolean);
    EXPECT_TRUE(s.values[7].truth);
    EXPECT_EQ(s.values[8].kind, LiteralKind::Hex);
    EXPECT_EQ(s.values[8].raw, "0aFF");
    EXPECT_FALSE(s.values[9].negative);

    const auto named = parse(R"(insert into T ("a b", [c]) values ('x', 1))");
    ASSERT_EQ(named.columns.size(), 2u);
    EXPECT_EQ(named.columns[0].text(), "a b");
    EXPECT_EQ(named.columns[1].text(), "c");
}

TEST(SqlParser, QuotedNamesUndoubleTheirQuote) {
    EXPECT_EQ(parse(R"(DROP TABLE "say ""hi""")").table.text(), "say \"hi\"");
    EXPECT_EQ(parse("DROP TABLE `a``b`").table.text(), "a`b");
    EXPECT_EQ(parse("DROP TABLE [a]]b]").table.text(), "a]b");
}

TEST(SqlParser, SyntaxErrorsNameThePosition) {
    struct Case {
        const char* statement;
        const char* expected;
    };
    const Case cases[] = {
        {"", "position 1: the statement is empty"},
        {"   ;", "position 4: the statement is empty"},
        {"UPDATE t SET a = 1",
         "position 1: expected CREATE, DROP, ALTER, INSERT, DELETE, SELECT or CHECK"},
        {"INSERT INTO t VALUE (1)", "position 15: expected VALUES"},
        {"INSERT INTO t VALUES (1, )", "position 26: expected a value"},
        {"INSERT INTO t VALUES (1",
         "position 24: expected \")\" but found the end of the statement"},
        {"INSERT INTO t VALUES ('abc)", "position 23: A text literal is not closed"},
        {"CREATE TABLE \"t(a INT)", "position 14: A quoted name is not closed"},
        {"CREATE TABLE t (a INT b)", "position 23: expected \",\" or \")\""},
        {"CREATE TABLE t (a TEXT(-1))", "position 24: expected a whole number"},
        {"SELECT a FROM t", "position 8: only SELECT * FROM table"},
        {"DELETE FROM t WHERE a = 1", "position 15: DELETE FROM removes every row"},
        {"DROP TABLE t extra", "position 14: unexpected \"extra\" after the end"},
        {"INSERT INTO t VALUES (1); DROP TABLE t", "position 27: unexpected"},
        {"DROP TABLE \"\"", "position 12: a name cannot be empty"},
        {"INSERT INTO é VALUES (- 'x')", "position 25: expected a number after the sign"},
        {"ALTER TABLE c ADD FOREIGN KEY (a, b) REFERENCES p (a)", "position 54: the foreign key"},
        {"CREATE TABLE t (a INT CHECK (a > 1))", "position 34: expected \"=\""},
    };
    for (const auto& c : cases) {
        const std::string message = syntaxError(c.statement);
        EXPECT_NE(message.find("SQLException: Syntax error at"), std::string::npos)
            << c.statement << " -> " << message;
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.statement << " -> " << message;
    }
}

// INSERT statements that start as the one before are read by a quick parse, which must
// read them exactly as the full parse does, and leave to it whatever it does not read.
TEST(SqlParser, RepeatedInsertsReadAsTheFullParseReadsThem) {
    RepeatedInsert quick;
    const std::string first = R"(INSERT INTO "Bench" VALUES(0, 'a'))";
    quick.remember(first, parse(first));
    RepeatedInsert bare;
    const std::string bareFirst = "insert into t values (1)";
    bare.remember(bareFirst, parse(bareFirst));
    const std::pair<std::string, bool> cases[] = {
        {R"(INSERT INTO "Bench" VALUES(1, 'O''Brien', -12.5e-1, - 3, +.5, NULL, null, TRUE, )"
         R"(false, X'0aFF', x'', '', '''', 1.e5, 2E+3) ;)",
         true},
        {"INSERT INTO \"Bench\" VALUES( 1 ,\t'x\n'\n)", true},
        {"INSERT INTO \"Bench\" VALUES(1);", true},
        {"INSERT INTO \"Bench\" VALUES(7e)", false},  // a number, then a word
        {"INSERT INTO \"Bench\" VALUES(DATE '2021-03-05')", false},
        {"INSERT INTO \"Bench\" VALUES(1, 'open", false},
        {"INSERT INTO \"Bench\" VALUES(1 2)", false},
        {"INSERT INTO \"Bench\" VALUES(1) extra", false},
        {"INSERT INTO \"Bench\" VALUES(1);;", false},
        {"INSERT INTO \"Bench\" VALUES(-'5')", false},
        {"INSERT INTO \"Bench\" VALUES(maybe)", false},
        {"INSERT INTO \"Bench\" VALUES(1,)", false},
        {"INSERT INTO \"Bench\" VALUES()", false},
        {"INSERT INTO \"Bench\" VALUES(", false},
        {"INSERT INTO \"Bench2\" VALUES(1)", false},
        {"insert into t values (TRUE, -4)", true},
        {"insert into t values (x)", false},
        {"insert into tt values (1)", false},
    };
    for (const auto& [text, read] : cases) {
        SCOPED_TRACE(text);
        RepeatedInsert& parser = text.starts_with("insert") ? bare : quick;
        Statement fast;
        fast.columns.emplace_back();  // left over from an earlier statement
        EXPECT_EQ(parser.parse(text, fast), read);
        if (read) expectSameStatement(fast, parse(text));
    }
    // A statement with a column list is not remembered.
    RepeatedInsert named;
    const std::string withColumns = R"(INSERT INTO "Bench" ("a") VALUES(1))";
    named.remember(withColumns, parse(withColumns));
    Statement unused;
    EXPECT_FALSE(named.parse(withColumns, unused));
}

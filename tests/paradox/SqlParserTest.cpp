// The statement grammar: what the conversion run generates, what users type, and syntax
// errors that name the position of the offending text.

#include <gtest/gtest.h>

#include "dataaccess/DbError.h"
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
         "position 1: expected CREATE, DROP, ALTER, INSERT, DELETE or SELECT"},
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

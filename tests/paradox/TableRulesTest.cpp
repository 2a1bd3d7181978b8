// Rules a table's statements give it land in its .VAL file, and later INSERTs that break
// one are refused with an SQLException naming the rule.

#include <gtest/gtest.h>

#include "paradox/TableFiles.h"
#include "paradox/TableRules.h"
#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox;
using namespace velmora::paradox::test;

namespace {

ValidityFile rulesOf(const std::filesystem::path& folder, const std::string& table) {
    auto rules = readValidityFile(locateTable(folder, table));
    EXPECT_TRUE(rules.has_value()) << table;
    return rules.value_or(ValidityFile{});
}

}  // namespace

TEST(TableRules, FieldChecksAreWrittenAndHonoured) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(
        "CREATE TABLE items (name VARCHAR(20) NOT NULL, qty INTEGER DEFAULT 1 CHECK (qty "
        "BETWEEN 1 AND 99), price DOUBLE CHECK (price >= 0), note VARCHAR(10) DEFAULT 'none')");
    const ValidityFile rules = rulesOf(folder.path(), "items");
    ASSERT_EQ(rules.checks.size(), 4u);
    EXPECT_TRUE(rules.checks[0].required);
    EXPECT_TRUE(rules.checks[1].minimum && rules.checks[1].maximum && rules.checks[1].defaultValue);
    EXPECT_TRUE(rules.checks[2].minimum && !rules.checks[2].maximum);
    EXPECT_EQ(rules.fields[3].name, "note");

    target.run("INSERT INTO items (name, price) VALUES ('bolt', 2.5)");
    const auto rows = target.rows("items");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], db::Value(std::int32_t{1}));  // the defaults
    EXPECT_EQ(rows[0][3], db::Value(std::string("none")));
    target.run("INSERT INTO items VALUES ('nut', 99, 0, NULL)");  // the bounds are allowed

    EXPECT_NE(errorOf(target, "INSERT INTO items (qty) VALUES (5)").find("\"required\""),
              std::string::npos);
    EXPECT_NE(errorOf(target, "INSERT INTO items VALUES ('x', 100, 1, 'a')").find("\"maximum\""),
              std::string::npos);
    EXPECT_NE(errorOf(target, "INSERT INTO items VALUES ('x', 0, 1, 'a')").find("\"minimum\""),
              std::string::npos);
    EXPECT_NE(errorOf(target, "INSERT INTO items VALUES ('x', 5, -1, 'a')").find("\"minimum\""),
              std::string::npos);
    EXPECT_EQ(target.count("items"), 2);

    // A table without rules gets no .VAL; a rule on a memo cannot be held.
    target.run("CREATE TABLE plain (a INTEGER)");
    EXPECT_TRUE(locateTable(folder.path(), "plain").val.empty());
    errorOf(target, "CREATE TABLE bad (m MEMO DEFAULT 'x')");
    errorOf(target, "CREATE TABLE bad (a INTEGER CHECK (b >= 1))");
}

TEST(TableRules, ReferentialIntegrityLinksBothTables) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run("CREATE TABLE parent (id INTEGER, name VARCHAR(10))");
    target.run("CREATE INDEX pk ON parent (id) WITH PRIMARY");
    target.run("INSERT INTO parent VALUES (1, 'one')");
    target.run("CREATE TABLE child (n INTEGER, pid INTEGER)");
    target.run("CREATE INDEX pk ON child (n) WITH PRIMARY");
    target.run("INSERT INTO child VALUES (1, 1)");
    target.run(
        "ALTER TABLE child ADD CONSTRAINT owns FOREIGN KEY (pid) REFERENCES parent (id) ON "
        "UPDATE RESTRICT");

    const ValidityFile child = rulesOf(folder.path(), "child");
    ASSERT_EQ(child.parents.size(), 1u);
    EXPECT_EQ(child.parents[0].name, "owns");
    EXPECT_EQ(child.parents[0].parentTable, "parent.db");
    EXPECT_EQ(child.parents[0].fields, std::vector<int>{2});
    EXPECT_FALSE(child.parents[0].cascade);
    const ValidityFile parent = rulesOf(folder.path(), "parent");
    ASSERT_EQ(parent.children.size(), 1u);
    EXPECT_EQ(parent.children[0].childTable, "child.db");
    EXPECT_EQ(parent.keyFields, std::vector<int>{1});
    EXPECT_EQ(parent.keyFieldCount, 1);

    target.run("INSERT INTO child VALUES (2, NULL)");  // refers to nothing
    target.run("INSERT INTO child VALUES (3, 1)");
    const std::string refused = errorOf(target, "INSERT INTO child VALUES (4, 7)");
    EXPECT_NE(refused.find("\"owns\""), std::string::npos) << refused;
    target.run("INSERT INTO parent VALUES (7, 'seven')");  // a new parent row is seen
    target.run("INSERT INTO child VALUES (4, 7)");

    // The parent must be keyed on the referenced columns, with their types.
    errorOf(target, "ALTER TABLE parent ADD FOREIGN KEY (name) REFERENCES child (n)");
    errorOf(target, "ALTER TABLE child ADD FOREIGN KEY (pid) REFERENCES plain (a)");
    target.run("CREATE TABLE unkeyed (a INTEGER)");
    errorOf(target, "ALTER TABLE child ADD FOREIGN KEY (pid) REFERENCES unkeyed (a)");

    // Dropping the child takes it off the parent's list.
    target.run("DROP TABLE child");
    EXPECT_TRUE(rulesOf(folder.path(), "parent").children.empty());
}

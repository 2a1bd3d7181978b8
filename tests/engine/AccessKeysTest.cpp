// The Access keys (--keys access): what the definition, the rows and the indexes after
// them become, what is reported instead, and a key violation refused with one report.

#include <gtest/gtest.h>

#include "dataaccess/AdoTypes.h"
#include "engine/BestFitRows.h"
#include "engine/ColumnProfile.h"
#include "engine/RowTransfer.h"
#include "engine/TableDefinition.h"
#include "engine/TableKeys.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;
using namespace velmora::db;
using namespace velmora::db::ado;

namespace {

std::unique_ptr<test::MemoryRows> rowsOf(std::vector<ColumnInfo> columns,
                                         std::vector<std::vector<Value>> rows = {}) {
    return std::make_unique<test::MemoryRows>(std::move(columns), std::move(rows));
}

}  // namespace

TEST(AccessKeys, KeyFirstAutoincrementIndexesAfterTheRowsAndWhatCannotBeHeld) {
    test::Harness h;
    h.inputs.preview = true;
    Recordset rows;
    rows.open(rowsOf(
        {{"Name", adVarWChar, 40},
         {.name = "ID", .type = adInteger, .definedSize = 4, .autoNumber = AutoNumber::Increment},
         {"Code", adVarWChar, 10},
         {"Notes", adLongVarWChar, 536870910},
         {"Rank", adSmallInt, 2},
         {.name = "Seq", .type = adInteger, .definedSize = 4, .autoNumber = AutoNumber::Increment}},
        {{Value(std::string("a")), Value(3), Value(std::string("c")), Value(std::string("n")),
          Value(1), Value(-5)}}));
    TableProfile profile = ProfileRows(rows);
    profile.columns[3].longestText = 1000;  // a memo: no index can hold it
    rows.close();
    rows.open(rowsOf(
        {{"Name", adVarWChar, 40},
         {.name = "ID", .type = adInteger, .definedSize = 4, .autoNumber = AutoNumber::Increment},
         {"Code", adVarWChar, 10},
         {"Notes", adLongVarWChar, 536870910},
         {"Rank", adSmallInt, 2},
         {.name = "Seq",
          .type = adInteger,
          .definedSize = 4,
          .autoNumber = AutoNumber::Increment}}));
    const std::vector<SourceIndex> indexes = {
        {"PrimaryKey", {2, 1}, {false, false}, true, true},
        {"Name", {0}, {false}, false, false},
        {"RankDesc", {4}, {true}, false, true},
        {"Mixed", {4, 0}, {false, true}, false, false},
        {"ByNotes", {3}, {false}, false, false},
    };
    const KeyPlan plan = PlanKeys(indexes, rows, &profile);
    Procedure proc(h.prompts, "in test ");
    const FieldRoles roles = BuildTableDefinition("T", "T", rows, proc, h.host, h.state, &profile,
                                                  nullptr, false, &plan);
    EXPECT_EQ(BuildSecondaryIndexes(plan, roles, "T", proc, h.host, h.state), 2);

    ASSERT_EQ(h.state.statements.count(), 4);
    EXPECT_EQ(h.state.statements.text(0),
              "CREATE TABLE \"T\"(\"Code\" TEXT(10), \"ID\" AUTOINC, \"Name\" TEXT(40), \"Notes\" "
              "MEMO, \"Rank\" SMALLINT, \"Seq\" INT) LEVEL 7;");
    EXPECT_EQ(h.state.statements.text(1),
              "CREATE INDEX \"T\" ON \"T\" (\"Code\", \"ID\") with primary");
    // Only a field's plain index may take its name: the case-insensitive one takes another.
    EXPECT_EQ(h.state.statements.text(2),
              "CREATE INDEX \"Name_ci\" ON \"T\" (\"Name\") CASE INSENSITIVE");
    EXPECT_EQ(h.state.statements.text(3),
              "CREATE UNIQUE DESC INDEX \"RankDesc\" ON \"T\" (\"Rank\")");
    EXPECT_EQ(roles.columnOrder, (std::vector<int>{2, 1, 0, 3, 4, 5}));
    EXPECT_FALSE(roles.rowNumberColumn);

    // One report each: AutoNumber values below 1, two directions, a memo.
    ASSERT_EQ(h.prompts.reports.size(), 3);
    EXPECT_TRUE(
        h.prompts.reports[0].contains("The AutoNumber field Seq of table T holds numbers below 1 "
                                      "(-5)"));
    EXPECT_TRUE(h.prompts.reports[1].contains(
        "The index Mixed of table T is not written: its fields are sorted in different "
        "directions"));
    EXPECT_TRUE(
        h.prompts.reports[2].contains("The index ByNotes of table T is not written: \"Notes\" "
                                      "is written as MEMO"));
    EXPECT_EQ(plan.indexesNotWritten, 1);  // the memo's is found after the types

    // The type list shows the key, the AutoNumber field and the indexes.
    EXPECT_EQ(h.state.typeMappings.at(0).AccessField, "Code");
    EXPECT_EQ(h.state.typeMappings.at(0).ParadoxType, "TEXT, key field 1 of 2");
    EXPECT_EQ(h.state.typeMappings.at(1).AccessType, "int, AutoNumber");
    EXPECT_EQ(h.state.typeMappings.at(1).ParadoxType, "AUTOINC, key field 2 of 2");
    EXPECT_EQ(h.state.typeMappings.at(2).ParadoxType,
              "TEXT, index \"Name_ci\" (Access: Name) case-insensitive");
    EXPECT_EQ(h.state.typeMappings.at(4).ParadoxType,
              "SMALLINT, index \"RankDesc\" unique descending");
}

// Two source rows whose keys are equal in the table: the second is refused, reported once
// with its table, row and key, and never written over the first.
TEST(AccessKeys, AKeyViolationIsRefusedWithOneReport) {
    test::Harness h;
    test::TargetFolder folder;
    h.state.targetConnection = std::make_unique<Connection>();
    ASSERT_EQ(folder.open(*h.state.targetConnection), "");
    const std::vector<ColumnInfo> columns = {{"City", adVarWChar, 20}, {"N", adInteger, 4}};
    // "Ōsaka" has no place in code page 1252; respelled, it is "Osaka" a second time.
    Recordset rows;
    rows.open(std::make_unique<BestFitRows>(
        rowsOf(columns, {{Value(std::string("Osaka")), Value(1)},
                         {Value(std::string("\xC5\x8Csaka")), Value(2)},
                         {Value(std::string("Kyoto")), Value(3)}}),
        1252));
    const KeyPlan plan = PlanKeys({{"PrimaryKey", {0}, {false}, true, true}}, rows, nullptr);
    Procedure proc(h.prompts, "in test ");
    const FieldRoles roles = BuildTableDefinition("Cities", "Cities", rows, proc, h.host, h.state,
                                                  nullptr, nullptr, false, &plan);
    const TransferCounts counts =
        TransferRows("Cities", rows, roles, LiteralWriter(QLocale::c()), proc, h.host, h.state);
    EXPECT_EQ(counts.rowsDispatched, 2);
    EXPECT_EQ(counts.rowsFailed, 1);
    ASSERT_EQ(h.prompts.reports.size(), 1);
    const QString report = h.prompts.reports[0];
    EXPECT_TRUE(report.contains("already has a row with the key \"City\" = 'Osaka'"))
        << report.toStdString();
    EXPECT_TRUE(report.contains("table \"Cities\", row TVXID 1")) << report.toStdString();

    Recordset first;
    first.open("SELECT * FROM \"Cities\" WHERE \"City\" = 'Osaka'", *h.state.targetConnection);
    ASSERT_FALSE(first.eof());
    EXPECT_EQ(first.fields()[1].value().asInt(), 1);
}

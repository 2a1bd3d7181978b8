// The source's rules: with --rules access each column carries what Paradox holds, the
// driver honours it on later rows, and the schema report lists the rest with reasons.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dataaccess/Connection.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "engine/ColumnProfile.h"
#include "engine/ConversionRun.h"
#include "engine/Relationships.h"
#include "engine/SourceRules.h"
#include "engine/TargetNames.h"
#include "paradox/TableFiles.h"
#include "paradox/TableRules.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

namespace {

int convert(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"),
                  QStringList{"-q", "--new-folder", "--overwrite", "yes"} + args);
    process.waitForFinished(600000);
    return process.exitCode();
}

std::string refusal(db::Connection& target, const char* statement) {
    try {
        target.execute(statement);
    } catch (const db::DbError& e) {
        return e.what();
    }
    ADD_FAILURE() << "accepted: " << statement;
    return {};
}

ColumnRules rulesOf(const char* column, bool required, const char* defaultValue,
                    const char* rule = "", const char* text = "", const char* description = "",
                    const char* format = "", const char* mask = "", const char* lookup = "") {
    ColumnRules r;
    r.table = QStringLiteral("T");
    r.column = QString::fromUtf8(column);
    r.required = required;
    r.defaultValue = QString::fromUtf8(defaultValue);
    r.validationRule = QString::fromUtf8(rule);
    r.validationText = QString::fromUtf8(text);
    r.description = QString::fromUtf8(description);
    r.format = QString::fromUtf8(format);
    r.inputMask = QString::fromUtf8(mask);
    r.lookup = QString::fromUtf8(lookup);
    return r;
}

TableOutcome written(const char* source, const char* target, std::vector<DefinedColumn> columns,
                     QStringList key = {}) {
    TableOutcome t;
    t.source = QString::fromUtf8(source);
    t.target = QString::fromUtf8(target);
    t.result = TableResult::Written;
    t.keyedOnAccess = !key.isEmpty();
    t.keyColumns = key;
    if (key.isEmpty()) columns.insert(columns.begin(), {{}, "TVXID", "INT"});
    t.columns = std::move(columns);
    return t;
}

Relationship relationship(const char* name, const char* parent, QStringList parentColumns,
                          const char* child, QStringList childColumns) {
    Relationship r;
    r.name = QString::fromUtf8(name);
    r.parent = QString::fromUtf8(parent);
    r.child = QString::fromUtf8(child);
    r.parentColumns = parentColumns;
    r.childColumns = childColumns;
    return r;
}

}  // namespace

TEST(Rules, ClausesCarryConstantsAndListTheRest) {
    QStringList left;
    const ColumnRules qty = rulesOf("Qty", true, "=1", "Between 1 And 99", "1 to 99");
    EXPECT_EQ(RuleClauses(qty, "\"Qty\"", "SMALLINT", left),
              " NOT NULL DEFAULT 1 CHECK (\"Qty\" BETWEEN 1 AND 99)");
    const ColumnRules price = rulesOf("Price", false, "0", ">0");
    EXPECT_EQ(RuleClauses(price, "\"Price\"", "FLOAT", left), " DEFAULT 0");  // > on a fraction
    const ColumnRules count = rulesOf("N", false, "", ">0 And <=10");
    EXPECT_EQ(RuleClauses(count, "\"N\"", "INT", left), " CHECK (\"N\" BETWEEN 1 AND 10)");
    const ColumnRules name =
        rulesOf("Name", false, "\"O'Neil\"", {}, {}, "who", "@", ">L", "SELECT x");
    EXPECT_EQ(RuleClauses(name, "\"Name\"", "TEXT(20)", left), " DEFAULT 'O''Neil'");
    const ColumnRules flag = rulesOf("Flag", false, "No");
    EXPECT_EQ(RuleClauses(flag, "\"Flag\"", "BIT", left), " DEFAULT FALSE");
    const ColumnRules when = rulesOf("When", false, "#1/31/2000#", "<Date()");
    EXPECT_EQ(RuleClauses(when, "\"When\"", "TIMESTAMP", left), " DEFAULT '1/31/2000'");
    const ColumnRules today = rulesOf("Today", false, "=Date()");
    EXPECT_EQ(RuleClauses(today, "\"Today\"", "TIMESTAMP", left), "");
    const ColumnRules note = rulesOf("Note", false, "\"x\"");
    EXPECT_EQ(RuleClauses(note, "\"Note\"", "MEMO", left), "");

    // Rules the rows already break are listed, so that no row is refused for them.
    ColumnProfile values;
    values.nulls = 2;
    values.hasNumber = true;
    values.smallestNumber = 0;
    values.largestNumber = 120;
    EXPECT_EQ(RuleClauses(qty, "\"Qty\"", "SMALLINT", left, &values), " DEFAULT 1");
    EXPECT_TRUE(
        left.contains("\"T\".\"Qty\": Required not carried: 2 rows have no value, "
                      "which Paradox would refuse."));
    EXPECT_TRUE(left.last().contains("rows hold values outside it (0 to 120)"));
    left.removeLast();
    left.removeLast();

    const QString report = left.join(u'\n');
    for (const char* item :
         {"Validation Text \"1 to 99\"", "Validation Rule \">0\"", "Description \"who\"",
          "Format \"@\"", "Input Mask \">L\"", "Lookup \"SELECT x\"", "Validation Rule \"<Date()\"",
          "Default Value \"=Date()\"", "Default Value \"\"x\"\""})
        EXPECT_TRUE(report.contains(QString::fromUtf8(item))) << item << "\n"
                                                              << report.toStdString();
    EXPECT_EQ(left.size(), 9);
}

TEST(Rules, NorthwindRulesArriveOrAreListed) {
    VELMORA_CORPUS_FOLDER(access, "access");
    const QString source =
        QString::fromStdString((*access / "mdbtestdata/data/nwind.mdb").string());
    QTemporaryDir plain, ruled;
    // By default the statements stay as they were: no .VAL file.
    ASSERT_EQ(convert({source, plain.path()}), 0);
    EXPECT_TRUE(QDir(plain.path()).entryList({"*.val"}).isEmpty());

    const QString reportFile = ruled.filePath("schema.txt");
    const QString folder = ruled.filePath("tables");
    ASSERT_EQ(
        convert({"--rules", "access", "--verify", "--schema-report", reportFile, source, folder}),
        0);
    EXPECT_EQ(QDir(folder).entryList({"*.val"}).size(), 9);
    QFile file(reportFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    for (const char* item :
         {"\"Customers\".\"CustomerID\": Input Mask",
          "\"Employees\".\"BirthDate\": Validation Rule",
          "\"Products\".\"UnitPrice\": Validation Text", "Format \"Medium Date\"", ": Lookup \"",
          ": Description \"", "relationship \"CustomersOrders\"",
          "relationship \"OrdersOrder Details\" (OrderID) to \"Orders\" (OrderID): Cascade Delete",
          "\"Invoices\": saved query"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(item))) << item;

    // The driver honours what arrived.
    db::Connection target;
    OpenTargetConnection(target, folder);
    EXPECT_NE(refusal(target, "INSERT INTO Categories (TVXID) VALUES (100)").find("required"),
              std::string::npos);
    EXPECT_NE(refusal(target,
                      "INSERT INTO OrderDetails (TVXID, OrderID, ProductID, UnitPrice, Quantity, "
                      "Discount) VALUES (9000, 1, 1, 1, 0, 0)")
                  .find("minimum"),
              std::string::npos);
    target.execute("INSERT INTO Products (TVXID, ProductName) VALUES (100, 'new')");
    db::Recordset rows;
    rows.open("SELECT * FROM Products", target);
    bool found = false;
    for (; !rows.eof(); rows.moveNext()) {
        if (rows.fields().item("TVXID").value().asInt() != 100) continue;
        found = true;
        EXPECT_EQ(rows.fields().item("UnitsInStock").value().asInt(), 0);  // its default
        EXPECT_FALSE(rows.fields().item("Discontinued").value().asBool());
    }
    EXPECT_TRUE(found);
}

TEST(Rules, RelationshipsArriveWhereTheParentIsKeyedOnThem) {
    // Written names differ from Access's; the parent's key is (B, A), referenced as (A, B).
    const std::vector<TableOutcome> tables{
        written("Parent Table", "ParentTable",
                {{"A field", "Afield", "INT"}, {"B", "B", "TEXT(5)"}, {"N", "N", "AUTOINC"}},
                {"\"B\"", "\"Afield\""}),
        written("Child", "Child", {{"X", "X", "INT"}, {"Y", "Y", "TEXT(5)"}, {"Z", "Z", "INT"}}),
        written("Counted", "Counted", {{"N", "N", "AUTOINC"}}, {"\"N\""}),
        written("Loose", "Loose", {{"A", "A", "INT"}}),
        written("Wide", "Wide", {{"Y", "Y", "TEXT(9)"}}, {"\"Y\""})};
    SourceRules rules;
    Relationship pair =
        relationship("PairLink", "Parent Table", {"A field", "B"}, "Child", {"X", "Y"});
    pair.cascadeUpdates = pair.cascadeDeletes = true;
    rules.relationships = {
        pair,
        relationship("Counter", "Counted", {"N"}, "Child", {"Z"}),
        relationship("NoKey", "Loose", {"A"}, "Child", {"X"}),
        relationship("OtherKey", "Parent Table", {"A field"}, "Child", {"X"}),
        relationship("Narrow", "Wide", {"Y"}, "Child", {"Y"}),
        relationship("Gone", "Absent", {"A"}, "Child", {"X"}),
        relationship(std::string(70, 'n').c_str(), "Counted", {"N"}, "Loose", {"A"})};
    Relationship loose = relationship("Unenforced", "Counted", {"N"}, "Child", {"Z"});
    loose.enforced = false;
    rules.relationships.push_back(loose);

    const RelationshipPlan plan = PlanRelationships(rules, tables, true);
    ASSERT_EQ(plan.carried.size(), 3u);
    EXPECT_EQ(plan.carried[0].statement,
              "ALTER TABLE \"Child\" ADD CONSTRAINT \"PairLink\" FOREIGN KEY (\"Y\", \"X\") "
              "REFERENCES \"ParentTable\" (\"B\", \"Afield\") ON UPDATE CASCADE");
    EXPECT_EQ(plan.carried[1].statement,
              "ALTER TABLE \"Child\" ADD CONSTRAINT \"Counter\" FOREIGN KEY (\"Z\") "
              "REFERENCES \"Counted\" (\"N\") ON UPDATE RESTRICT");
    EXPECT_TRUE(plan.carried[2].statement.contains("ADD CONSTRAINT \"" + QString(63, u'n') +
                                                   "\" FOREIGN KEY"));
    const QString report = plan.leftBehind.join(u'\n');
    for (const char* line :
         {"\"Child\": relationship \"PairLink\" (X, Y) to \"Parent Table\" (A field, B): "
          "Cascade Delete not carried: Paradox has none.",
          "relationship \"NoKey\" (X) to \"Loose\" (A) not carried: \"Loose\" has no primary "
          "key",
          "relationship \"OtherKey\" (X) to \"Parent Table\" (A field) not carried: \"Parent "
          "Table\" is keyed on (B, A field)",
          "\"Narrow\" (Y) to \"Wide\" (Y) not carried: \"Y\" is written as TEXT(5) and \"Y\" as "
          "TEXT(9)",
          "\"Gone\" (X) to \"Absent\" (A) not carried: the table \"Absent\" was not written"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(line))) << line << "\n"
                                                              << report.toStdString();
    EXPECT_EQ(plan.leftBehind.size(), 5);
    EXPECT_FALSE(report.contains("Unenforced"));

    // Keyed on TVXID, no relationship is carried and each says how it could be.
    const RelationshipPlan rowNumbers = PlanRelationships(rules, tables, false);
    EXPECT_TRUE(rowNumbers.carried.empty());
    EXPECT_TRUE(
        rowNumbers.leftBehind.join(u'\n').contains("\"PairLink\" (X, Y) to \"Parent "
                                                   "Table\" (A field, B) not carried: its "
                                                   "parent is keyed on TVXID"));

    // Child rows without a parent, read from the written tables, are counted and named by
    // TVXID; a blank reference refers to nothing.
    QTemporaryDir folder;
    db::Connection target;
    OpenTargetConnection(target, folder.path());
    for (const char* statement :
         {"CREATE TABLE \"ParentTable\" (\"B\" TEXT(5), \"Afield\" INT, \"N\" AUTOINC)",
          "CREATE INDEX pk ON \"ParentTable\" (\"B\", \"Afield\") WITH PRIMARY",
          "INSERT INTO \"ParentTable\" (\"B\", \"Afield\") VALUES ('b', 1)",
          "CREATE TABLE \"Child\" (TVXID INT, \"X\" INT, \"Y\" TEXT(5), \"Z\" INT)",
          "CREATE INDEX pk ON \"Child\" (TVXID) WITH PRIMARY",
          "INSERT INTO \"Child\" VALUES (0, 1, 'b', NULL)",
          "INSERT INTO \"Child\" VALUES (1, 2, 'b', NULL)",
          "INSERT INTO \"Child\" VALUES (2, NULL, 'b', NULL)",
          "INSERT INTO \"Child\" VALUES (3, 1, 'B', NULL)"})
        target.execute(statement);
    const Orphans orphans = FindOrphans(target, plan.carried[0], true);
    EXPECT_EQ(orphans.rows, 2);
    EXPECT_EQ(orphans.shown, (QStringList{"TVXID 1", "TVXID 3"}));
    EXPECT_TRUE(
        OrphansReason(orphans).startsWith("2 of its rows have no parent (TVXID 1, TVXID 3)"));
    target.execute("DELETE FROM \"Child\"");
    EXPECT_EQ(FindOrphans(target, plan.carried[0], true).rows, 0);
}

TEST(Rules, CorpusRelationshipsArriveWithTheKeysOrAreListed) {
    VELMORA_CORPUS_FOLDER(access, "access");
    const QString source =
        QString::fromStdString((*access / "mdbtestdata/data/nwind.mdb").string());
    QTemporaryDir out;
    const QString reportFile = out.filePath("schema.txt");
    const QString folder = out.filePath("tables");
    ASSERT_EQ(convert({"--keys", "access", "--rules", "access", "--verify", "--schema-report",
                       reportFile, source, folder}),
              0);
    QFile file(reportFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(report.contains("not carried: its parent")) << report.toStdString();
    EXPECT_TRUE(
        report.contains("relationship \"OrdersOrder Details\" (OrderID) to \"Orders\" "
                        "(OrderID): Cascade Delete not carried: Paradox has none."));

    // Seven relationships, each in the child's and the parent's .VAL file.
    const auto rulesOf = [&](const char* table) {
        return paradox::readValidityFile(paradox::locateTable(folder.toStdString(), table))
            .value_or(paradox::ValidityFile{});
    };
    const paradox::ValidityFile details = rulesOf("OrderDetails");
    ASSERT_EQ(details.parents.size(), 2u);
    EXPECT_EQ(details.parents[0].name, "OrdersOrder Details");
    EXPECT_EQ(details.parents[0].parentTable, "Orders.db");
    EXPECT_FALSE(details.parents[0].cascade);
    const paradox::ValidityFile orders = rulesOf("Orders");
    ASSERT_EQ(orders.parents.size(), 3u);
    EXPECT_EQ(orders.parents[0].name, "CustomersOrders");
    EXPECT_TRUE(orders.parents[0].cascade);  // Access's cascade update
    EXPECT_EQ(orders.children.size(), 1u);
    EXPECT_EQ(rulesOf("Products").parents.size() + rulesOf("Products").children.size(), 3u);

    // The driver refuses a row without its parent.
    db::Connection target;
    OpenTargetConnection(target, folder);
    EXPECT_NE(refusal(target,
                      "INSERT INTO OrderDetails (OrderID, ProductID, UnitPrice, Quantity, "
                      "Discount) VALUES (1, 1, 1, 1, 0)")
                  .find("OrdersOrder Details"),
              std::string::npos);

    // Listed, the statements carry the source's rows: the source's rows without a parent
    // keep their relationships out, and say so.
    const QString sqlFile = out.filePath("broken.sql");
    const QString brokenReport = out.filePath("broken.txt");
    ASSERT_EQ(
        convert({"--keys", "access", "--rules", "access", "--schema-report", brokenReport, "--sql",
                 sqlFile,
                 QString::fromStdString(
                     (*access / "ucanaccess/src/test/resources/testdbs/corrupted.accdb").string()),
                 out.filePath("unused")}),
        0);
    QFile sql(sqlFile), broken(brokenReport);
    ASSERT_TRUE(sql.open(QIODevice::ReadOnly) && broken.open(QIODevice::ReadOnly));
    EXPECT_FALSE(sql.readAll().contains("ALTER TABLE"));
    const QString lines = QString::fromUtf8(broken.readAll());
    EXPECT_TRUE(
        lines.contains("\"Baby\": relationship \"DaddyBaby\" (fk1) to \"Daddy\" (ID) not "
                       "carried: 1 of its rows has no parent (ID=2)"))
        << lines.toStdString();
    EXPECT_TRUE(lines.contains("\"UK\" is keyed on (ID), not on the referenced fields."));
}

TEST(Rules, RelationshipsComeLastInEachPreview) {
    VELMORA_CORPUS_FOLDER(access, "access");
    RunOptions options;
    options.keys = RunOptions::Keys::Access;
    options.accessRules = true;
    options.acceptFolderWithoutTables = true;
    options.verify = false;
    const auto alters = [](const RunState& state) {
        int n = 0;
        for (int i = 0; i < state.statements.count(); ++i)
            n += state.statements.text(i).startsWith("ALTER TABLE");
        return n;
    };
    // The third run leaves the last table's preview with Back: the run ends there.
    for (const int mode : {0, 1, 2}) {
        const bool perTable = mode > 0;
        QTemporaryDir folder;
        test::Harness h;
        h.inputs.targetFolder = folder.path();
        h.inputs.sourceFile =
            QString::fromStdString((*access / "mdbtestdata/data/nwind.mdb").string());
        h.inputs.preview = true;
        h.inputs.perFile = !perTable;
        h.inputs.perTable = perTable;
        std::vector<int> altersShown;
        h.preview.onShow = [&](RunState& state) {
            altersShown.push_back(alters(state));
            for (int i = 0; i < state.statements.count(); ++i)
                state.targetConnection->execute(state.statements.utf8(i));
            state.previewExecuted = true;
            state.stopAfterPreview = mode == 2 && altersShown.size() == 9;
        };
        ConversionRun run(h.host, h.state, QLocale::c(), options);
        run.start();
        if (mode == 2) {
            EXPECT_EQ(altersShown.size(), 9u);
            EXPECT_EQ(run.statistics().relationshipsAdded, 0);
            continue;
        }
        // One preview per table and one for the relationships, or one for everything
        // with the relationships last.
        ASSERT_EQ(altersShown.size(), perTable ? 10u : 1u) << perTable;
        EXPECT_EQ(altersShown.back(), 7) << perTable;
        if (!perTable) {
            EXPECT_TRUE(
                h.state.statements.text(h.state.statements.count() - 1)
                    .startsWith("ALTER TABLE \"Products\" ADD CONSTRAINT \"SuppliersProducts\""));
        }
        EXPECT_EQ(run.statistics().relationshipsAdded, 7) << perTable;
        EXPECT_EQ(
            paradox::readValidityFile(paradox::locateTable(folder.path().toStdString(), "Orders"))
                ->parents.size(),
            3u)
            << perTable;
    }
}

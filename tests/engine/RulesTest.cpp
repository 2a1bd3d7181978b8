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
#include "engine/SourceRules.h"
#include "engine/TargetNames.h"
#include "tests/support/Corpus.h"

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

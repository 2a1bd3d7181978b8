#include <gtest/gtest.h>

#include "dataaccess/AdoTypes.h"
#include "engine/TableDefinition.h"
#include "engine/TypeMapping.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;
using namespace velmora::db::ado;

namespace {

struct Definition : ::testing::Test {
    test::Harness h;
    FieldRoles build(const QString& source, const QString& target,
                     std::vector<db::ColumnInfo> columns) {
        h.inputs.preview = true;  // collect the statements
        db::Recordset rows;
        rows.open(std::make_unique<test::MemoryRows>(std::move(columns),
                                                     std::vector<std::vector<db::Value>>{}));
        Procedure proc(h.prompts, "in test ");
        return BuildTableDefinition(source, target, rows, proc, h.host, h.state);
    }
    QString statement(int i) const { return h.state.statements.text(i); }
};

}  // namespace

TEST_F(Definition, CustomersExample) {
    const FieldRoles roles = build("Customers", "Customers",
                                   {{"ID", adInteger, 4},
                                    {"Name", adVarWChar, 50},
                                    {"Balance", adCurrency, 8},
                                    {"Photo", adLongVarBinary, 0},
                                    {"Joined", adDate, 8}});
    ASSERT_EQ(h.state.statements.count(), 2);
    // Access's date-time maps to TIMESTAMP so the time of day survives.
    EXPECT_EQ(
        statement(0),
        "CREATE TABLE \"Customers\"(\"TVXID\" INT, \"ID\" INT, \"Name\" TEXT(50), \"Balance\" "
        "CURRENCY, \"Photo\" VARCHAR, \"Joined\" TIMESTAMP);");
    EXPECT_EQ(statement(1), "CREATE INDEX \"Customers\" ON \"Customers\" (\"TVXID\") with primary");
    EXPECT_EQ(roles.NumericFields, (std::vector<int>{0, 2}));
    EXPECT_EQ(roles.BinaryFields, (std::vector<int>{3}));
    ASSERT_EQ(h.state.typeMappings.count(), 5);
    // The window's labels, and the names Access's table design gives the types (--types).
    EXPECT_EQ(h.state.typeMappings.at(0),
              (TypeMappingEntry{"Customers", "ID", "int", "INT", "Number (Long Integer)"}));
    EXPECT_EQ(h.state.typeMappings.at(1),
              (TypeMappingEntry{"Customers", "Name", "har", "TEXT", "Short Text"}));
    EXPECT_EQ(h.state.typeMappings.at(2),
              (TypeMappingEntry{"Customers", "Balance", "currency", "CURRENCY", "Currency"}));
    EXPECT_EQ(h.state.typeMappings.at(3),
              (TypeMappingEntry{"Customers", "Photo", "adlongvarbinary", "VARCHAR", "OLE Object"}));
    EXPECT_EQ(h.state.typeMappings.at(4),
              (TypeMappingEntry{"Customers", "Joined", "date", "TIMESTAMP", "Date/Time"}));
}

TEST_F(Definition, DuplicateColumnNamesTakeCounters) {
    build("T", "T",
          {{"Qty", adInteger, 4},
           {"qty", adInteger, 4},
           {"QTY", adInteger, 4},
           {"TVXID", adInteger, 4}});
    EXPECT_EQ(statement(0),
              "CREATE TABLE \"T\"(\"TVXID\" INT, \"Qty\" INT, \"qty0\" INT, \"QTY1\" INT, "
              "\"TVXID0\" INT);");
}

// Blanks and apostrophes stay, as Paradox holds them; parentheses and double quotes,
// which it refuses, go.
TEST_F(Definition, LongNamesAreCutAndCleaned) {
    build("T", "T",
          {{"Unit Price (EUR)", adCurrency, 8},
           {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234", adInteger, 4},
           {"ABCDEFGHIJKLMNOPQRSTUVWXYZ5678", adInteger, 4},
           {"O'Neil \"Q\"", adVarWChar, 10}});
    EXPECT_EQ(statement(0),
              "CREATE TABLE \"T\"(\"TVXID\" INT, \"Unit Price EUR\" CURRENCY, "
              "\"ABCDEFGHIJKLMNOPQRSTUVWXY\" INT, "
              "\"ABCDEFGHIJKLMNOPQRSTUVWX0\" INT, \"O'Neil Q\" TEXT(10));");
    // The type list names every column written differently: cleaned, cut or counted.
    EXPECT_EQ(h.state.typeMappings.at(0).AccessField, "Unit Price (EUR)");
    EXPECT_EQ(h.state.typeMappings.at(0).ParadoxType, "CURRENCY, named \"Unit Price EUR\"");
    EXPECT_EQ(h.state.typeMappings.at(1).ParadoxType, "INT, named \"ABCDEFGHIJKLMNOPQRSTUVWXY\"");
    EXPECT_EQ(h.state.typeMappings.at(2).ParadoxType, "INT, named \"ABCDEFGHIJKLMNOPQRSTUVWX0\"");
    EXPECT_EQ(h.state.typeMappings.at(3).ParadoxType, "TEXT, named \"O'Neil Q\"");
}

// Names the driver would refuse: twelve fields sharing their first 25 characters,
// braces, brackets, quotes and a name that cleaning leaves empty. The driver accepts
// the whole definition. Without a first pass the table is in code page 1252, which
// spells the Omega "_".
TEST_F(Definition, EveryColumnNameIsOneTheDriverAccepts) {
    std::vector<db::ColumnInfo> columns;
    for (int i = 1; i <= 12; ++i)
        columns.push_back({"Customer Satisfaction Score " + std::to_string(i), adInteger, 4});
    for (const char* name : {"Price {EUR}", "a\"b", "x[y]", "()", "#", "t\tab->c", "\xCE\xA9mega"})
        columns.push_back({name, adInteger, 4});
    build("T", "T", columns);
    const QString create = statement(0);
    EXPECT_TRUE(
        create.contains("\"Customer Satisfaction Sco\" INT, \"Customer Satisfaction Sc0\""));
    EXPECT_TRUE(create.contains("\"Customer Satisfaction S10\" INT"));
    EXPECT_TRUE(create.endsWith(
        "\"Price EUR\" INT, \"ab\" INT, \"xy\" INT, \"Field15\" INT, \"Field16\" INT, "
        "\"tab-c\" INT, \"_mega\" INT);"))
        << create.toStdString();
    EXPECT_EQ(h.state.typeMappings.at(15).AccessField, "()");

    test::TargetFolder folder;
    db::Connection target;
    ASSERT_EQ(folder.open(target), "");
    target.execute(create.toStdString());
    target.execute(statement(1).toStdString());
}

TEST_F(Definition, TableWithoutFields) {
    build("T", "T", {});
    EXPECT_EQ(statement(0), "CREATE TABLE \"T\"(\"TVXID\" INT);");
    EXPECT_EQ(h.state.typeMappings.count(), 0);
}

TEST(TypeMapping, RowsDecideInOrder) {
    struct Case {
        QString label;
        long size;
        QString column, access, paradox;
        TypeMapping::Role role;
    };
    using R = TypeMapping::Role;
    const Case cases[] = {
        {"advarwchar", 255, " TEXT(255), ", "har", "TEXT", R::Text},
        {"advarwchar", 256, " TEXT(255), ", "har", "TEXT", R::Text},
        {"adwchar", 0, " TEXT(0), ", "har", "TEXT", R::Text},
        {"adlongvarwchar", 0, " TEXT(0), ", "har", "TEXT", R::Text},
        {"adlongvarwchar", 1073741823, " TEXT(255), ", "har", "TEXT", R::Text},
        {"adsingle", 4, " FLOAT, ", "single", "FLOAT", R::Numeric},
        {"adunsignedtinyint", 1, " SMALLINT, ", "smallint", "SMALLINT", R::Numeric},
        {"adbigint", 8, " INT, ", "int", "INT", R::Numeric},
        {"adnumeric", 19, " CURRENCY, ", "currency", "CURRENCY", R::Numeric},
        {"addecimal", 19, " DECIMAL, ", "decimal", "DECIMAL", R::Numeric},
        {"addbdate", 6, " DATE, ", "date", "DATE", R::Text},
        {"addbtimestamp", 16, " TIMESTAMP, ", "date", "TIMESTAMP", R::Text},
        {"adboolean", 2, " BIT, ", "bool", "BIT", R::Numeric},
        {"adguid", 16, " VARCHAR, ", "OTHER TYPES", "VARCHAR", R::Text},
        {"adlongvarbinary", 0, " VARCHAR, ", "adlongvarbinary", "VARCHAR", R::Binary},
        {"", 0, " VARCHAR, ", "OTHER TYPES", "VARCHAR", R::Text},
    };
    for (const Case& c : cases) {
        const TypeMapping m = MapType(c.label, c.size);
        EXPECT_EQ(m.columnType, c.column) << c.label.toStdString();
        EXPECT_EQ(m.accessType, c.access) << c.label.toStdString();
        EXPECT_EQ(m.paradoxType, c.paradox) << c.label.toStdString();
        EXPECT_EQ(m.role, c.role) << c.label.toStdString();
    }
}

// The bundled sample database and the record set behaviour on top of the provider.

#include <gtest/gtest.h>

#include <map>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Calendar.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {
namespace {

using namespace db::ado;

const char kSample[] = VELMORA_SAMPLE_DATABASE;

class SampleDatabase : public ::testing::Test {
  protected:
    void SetUp() override { connection.open(connectionStringFor(kSample)); }
    db::Connection connection;
};

TEST_F(SampleDatabase, SchemaListsSystemTablesThenUserTablesInNameOrder) {
    auto rows = connection.openSchema(adSchemaTables);
    std::vector<std::pair<std::string, std::string>> listed;
    for (; !rows->eof(); rows->moveNext()) {
        EXPECT_TRUE(rows->fields().item("TABLE_CATALOG").value().isNull());
        listed.emplace_back(rows->fields().item("TABLE_TYPE").value().asText(),
                            rows->fields().item("TABLE_NAME").value().asText());
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"SYSTEM TABLE", "MSysAccessObjects"},
        {"SYSTEM TABLE", "MSysACEs"},
        {"SYSTEM TABLE", "MSysObjects"},
        {"SYSTEM TABLE", "MSysQueries"},
        {"SYSTEM TABLE", "MSysRelationships"},
        {"TABLE", "Customers"},
        {"TABLE", "Order Details"},
        {"TABLE", "Orders"},
        {"TABLE", "Products"},
        {"TABLE", "Sales (2020)'s"},
    };
    EXPECT_EQ(listed, expected);
}

TEST_F(SampleDatabase, RecordCountEqualsTheRowsDelivered) {
    const std::map<std::string, std::int64_t> counts = {{"Customers", 10},
                                                        {"Order Details", 490},
                                                        {"Orders", 200},
                                                        {"Products", 10},
                                                        {"Sales (2020)'s", 16}};
    for (const auto& [table, count] : counts) {
        db::Recordset rs;
        rs.open("SELECT * FROM `" + table + "`", connection);
        EXPECT_EQ(rs.recordCount(), count) << table;
        std::int64_t delivered = 0;
        for (; !rs.eof(); rs.moveNext()) ++delivered;
        EXPECT_EQ(delivered, count) << table;
    }
}

TEST_F(SampleDatabase, FieldsReportTheirAdoTypesAndSizes) {
    db::Recordset rs;
    rs.open("SELECT * FROM `Customers`", connection);
    const db::Fields& f = rs.fields();
    ASSERT_EQ(f.count(), 10);
    const std::vector<std::tuple<std::string, std::int16_t, long>> expected = {
        {"CustomerID", adInteger, 4},  {"Company Name", adVarWChar, 60},
        {"Contact", adVarWChar, 40},   {"City", adVarWChar, 30},
        {"Country", adVarWChar, 30},   {"Balance", adCurrency, 8},
        {"Credit Limit", adDouble, 8}, {"Active", adBoolean, 2},
        {"Joined", adDate, 8},         {"Notes", adLongVarWChar, 536870910},
    };
    for (int i = 0; i < f.count(); ++i) {
        EXPECT_EQ(f[i].name(), std::get<0>(expected[i]));
        EXPECT_EQ(f[i].type(), std::get<1>(expected[i])) << f[i].name();
        EXPECT_EQ(f[i].definedSize(), std::get<2>(expected[i])) << f[i].name();
    }
    db::Recordset products;
    products.open("SELECT * FROM `Products`", connection);
    EXPECT_EQ(products.fields().item("Units In Stock").type(), adSmallInt);
    EXPECT_EQ(products.fields().item("Weight kg").type(), adSingle);
    EXPECT_EQ(products.fields().item("Category").type(), adUnsignedTinyInt);
    EXPECT_EQ(products.fields().item("Photo").type(), adLongVarBinary);
    db::Recordset details;
    details.open("SELECT * FROM `Order Details`", connection);
    EXPECT_EQ(details.fields().item("Line Total").type(), adNumeric);
}

TEST_F(SampleDatabase, ValuesAreTypedAndExact) {
    db::Recordset rs;
    rs.open("SELECT * FROM `Customers`", connection);
    const db::Fields& f = rs.fields();
    EXPECT_EQ(f.item("CustomerID").value().asInt(), 1);
    EXPECT_EQ(f.item("Company Name").value().asText(), "Alpine Outfitters");
    EXPECT_EQ(f.item("Balance").value().asCurrency().units, -17495000);
    EXPECT_EQ(f.item("Credit Limit").value().asDouble(), 5000.0);
    EXPECT_TRUE(f.item("Active").value().asBool());
    EXPECT_EQ(db::toCivil(f.item("Joined").value().asDateTime()).date, (db::CivilDate{2015, 1, 3}));
    EXPECT_TRUE(f.item("Notes").value().isNull());
    rs.moveNext();
    EXPECT_EQ(f.item("Company Name").value().asText(), "Bergström Handel");
    EXPECT_EQ(f.item("Notes").value().asText(), "Prefers delivery on Fridays; contact: Lars Berg.");

    db::Recordset details;
    details.open("SELECT * FROM `Order Details`", connection);
    const db::Decimal total = details.fields().item("Line Total").value().asDecimal();
    EXPECT_EQ(total.toString(), "445.4460");
    EXPECT_EQ(total.precision, 18);
}

TEST_F(SampleDatabase, TableNamesMatchWithoutRegardToCase) {
    db::Recordset rs;
    rs.open("select * from `SALES (2020)'S`", connection);
    EXPECT_EQ(rs.recordCount(), 16);
    EXPECT_EQ(rs.fields()[0].value().asText(), "North");
}

TEST_F(SampleDatabase, RecordSetMovesForwardToEofAndThenHasNoCurrentRecord) {
    db::Recordset rs;
    rs.open("SELECT * FROM `Products`", connection);
    EXPECT_FALSE(rs.bof());
    EXPECT_FALSE(rs.eof());
    while (!rs.eof()) rs.moveNext();
    EXPECT_FALSE(rs.bof());
    try {
        (void)rs.fields()[0].value();
        FAIL() << "a value at EOF must fail";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), db::errc::kNoCurrentRecord);
    }
    EXPECT_THROW(rs.moveNext(), db::DbError);
    rs.close();
    try {
        (void)rs.eof();
        FAIL() << "a closed record set must refuse EOF";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), db::errc::kObjectClosed);
    }
}

TEST_F(SampleDatabase, OpenRecordSetKeepsReadingAfterItsConnectionCloses) {
    db::Recordset rs;
    rs.open("SELECT * FROM `Orders`", connection);
    connection.close();
    std::int64_t rows = 0;
    for (; !rs.eof(); rs.moveNext()) ++rows;
    EXPECT_EQ(rows, 200);
}

TEST(EmptyTable, RecordSetHasBofAndEofAndNoRows) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    db::Connection connection;
    connection.open(connectionStringFor(
        *root / "access/ucanaccess/src/test/resources/testdbs/calculatedField.accdb"));
    db::Recordset rs;
    rs.open("SELECT * FROM `clcdFlds`", connection);
    EXPECT_TRUE(rs.bof());
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_EQ(rs.fields().count(), 6);
    EXPECT_THROW((void)rs.fields()[0].value(), db::DbError);
}

}  // namespace
}  // namespace velmora::access::testing

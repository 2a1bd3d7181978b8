// Complex columns read as the text of their values, never as their internal keys, and
// linked tables read from the database beside the source.

#include <gtest/gtest.h>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {
namespace {

// Every row's values as text ("<null>" for Null).
std::vector<std::vector<std::string>> textRows(const std::string& file, const std::string& table) {
    db::Connection connection;
    connection.open(connectionStringFor(*corpusRoot() / "access" / file));
    db::Recordset rs;
    rs.open("SELECT * FROM `" + table + "`", connection);
    std::vector<std::vector<std::string>> rows;
    for (; !rs.eof(); rs.moveNext()) {
        auto& row = rows.emplace_back();
        for (int i = 0; i < rs.fields().count(); ++i) {
            const db::Value& v = rs.fields()[i].value();
            row.push_back(v.isNull()                        ? "<null>"
                          : v.kind() == db::ValueKind::Text ? v.asText()
                                                            : "<not text>");
        }
    }
    return rows;
}

TEST(ComplexColumns, ReadAsTheTextOfTheirValues) {
    VELMORA_NEED_CORPUS(corpusRoot(), test::corpusFolder() / "access");
    // id, version history, memo, append-only memo, multi-valued, attachment.
    const auto rows = textRows("jackcess/src/test/data/V2007/complexDataTestV2007.accdb", "Table1");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"row1", "<null>", "<null>", "<null>", "<null>", "<null>"}));
    EXPECT_EQ(rows[2][1],
              "[Version: 09/12/2011 21:21:19] row3-memo\r\n"
              "[Version: 09/12/2011 21:22:33] row3-memo-revised\r\n"
              "[Version: 09/12/2011 21:22:45] row3-memo-again");
    EXPECT_EQ(rows[2][4], "value1; value2; value3; value4");
    EXPECT_EQ(rows[1][5], "test_data.txt; test_data2.txt");
    EXPECT_EQ(rows[3][4], "<null>");
    // A renamed attachment column keeps the key column of its first name.
    const auto renamed = textRows("mdb-reader/test/data/V2016/attachments.accdb", "Table1");
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_EQ(renamed[0][2], "<null>");
    EXPECT_EQ(renamed[2][2], "attachment1.txt; attachment2.txt; attachment3.txt");
}

TEST(LinkedTables, ReadFromTheDatabaseBesideOrRefusedWithItsPath) {
    VELMORA_NEED_CORPUS(corpusRoot(), test::corpusFolder() / "access");
    const auto linked = textRows("ucanaccess/src/test/resources/testdbs/linked.mdb", "Table1");
    EXPECT_FALSE(linked.empty());
    db::Connection links;
    links.open(connectionStringFor(*corpusRoot() /
                                   "access/jackcess/src/test/data/V2007/linkerTestV2007.accdb"));
    db::Recordset rs;
    try {
        rs.open("SELECT * FROM `Table2`", links);
        FAIL() << "the linked database is not beside this one";
    } catch (const db::DbError& e) {
        EXPECT_NE(e.description().find("Z:\\jackcess_test\\linkeeTest.accdb"), std::string::npos)
            << e.description();
    }
}

}  // namespace
}  // namespace velmora::access::testing

namespace velmora::access::testing {
namespace {

// Jet3 files hold no reliable code page: charsetGBK.mdb says 1252 and holds GBK text.
TEST(Jet3CodePage, ChosenCodePageReplacesTheHeaders) {
    VELMORA_NEED_CORPUS(corpusRoot(), test::corpusFolder() / "access");
    const auto file = *corpusRoot() / "access/ucanaccess/src/test/resources/testdbs/charsetGBK.mdb";
    auto firstText = [&](const std::string& extra) {
        db::Connection connection;
        connection.open("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string() + extra);
        db::Recordset rs;
        rs.open("SELECT * FROM `table1`", connection);
        return rs.fields()[1].value().asText();
    };
    EXPECT_EQ(firstText(""), "GBK±àÂë");
    EXPECT_EQ(firstText(";Jet OLEDB:Jet3 Code Page=936"), "GBK编码");
}

}  // namespace
}  // namespace velmora::access::testing

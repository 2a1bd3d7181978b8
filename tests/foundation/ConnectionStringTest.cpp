#include <gtest/gtest.h>

#include "dataaccess/ConnectionString.h"

using velmora::db::ConnectionString;

TEST(ConnectionString, ReadsKeysWithoutRegardToCase) {
    auto cs = ConnectionString::parse(
        "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/data/a.mdb;JET OLEDB:Database Password=pw");
    EXPECT_EQ(cs.value("provider"), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_EQ(cs.value("DATA SOURCE"), "/data/a.mdb");
    EXPECT_EQ(cs.value("Jet OLEDB:Database Password"), "pw");
}

TEST(ConnectionString, PasswordRunsToTheEndAndCannotInjectKeys) {
    auto cs = ConnectionString::parse(
        "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/a.accdb;JET OLEDB:Database "
        "Password=x;Data Source=/etc/passwd;Provider=evil");
    EXPECT_EQ(cs.value("Data Source"), "/a.accdb");
    EXPECT_EQ(cs.value("Provider"), "Microsoft.ACE.OLEDB.12.0");
    EXPECT_EQ(cs.value("Jet OLEDB:Database Password"), "x;Data Source=/etc/passwd;Provider=evil");
}

TEST(ConnectionString, EmptyPasswordIsPresentButEmpty) {
    auto cs = ConnectionString::parse("Provider=P;Data Source=/a.accdb;JET OLEDB:Database Password=");
    ASSERT_TRUE(cs.has("Jet OLEDB:Database Password"));
    EXPECT_EQ(cs.value("Jet OLEDB:Database Password"), "");
}

TEST(ConnectionString, PathHoldingSemicolonStaysWhole) {
    auto cs = ConnectionString::parse(
        "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/my;data/a.mdb;JET OLEDB:Database Password=");
    EXPECT_EQ(cs.value("Data Source"), "/my;data/a.mdb");
}

TEST(ConnectionString, OdbcDriverInBracesAndFolderKeys) {
    auto cs = ConnectionString::parse(
        "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=/t/;"
        "Dbq=/t/;CollatingSequence=ASCII;");
    EXPECT_EQ(cs.value("Driver"), "Microsoft Paradox Driver (*.db )");
    EXPECT_EQ(cs.value("DriverID"), "538");
    EXPECT_EQ(cs.value("Dbq"), "/t/");
    EXPECT_EQ(cs.value("CollatingSequence"), "ASCII");
    EXPECT_FALSE(cs.has("Provider"));
}

TEST(ConnectionString, PasswordClauseOnlyCountsAtAKeyStart) {
    auto cs = ConnectionString::parse(
        "Data Source=/xJET OLEDB:Database Password=no;JET OLEDB:Database Password=yes");
    EXPECT_EQ(cs.value("Data Source"), "/xJET OLEDB:Database Password=no");
    EXPECT_EQ(cs.value("Jet OLEDB:Database Password"), "yes");
}

// Paths holding the characters that end, split or quote a value arrive whole, both as
// the source's "Data Source" and as the target's ODBC folder keys.
TEST(ConnectionString, QuotedValuesCarryAnyPath) {
    for (const std::string path :
         {"/a;b=c/x;y=z.mdb", "/d/{x}.mdb", "/d/\"q\"'s}}.mdb", "/plain/a.mdb", "/e=/;"}) {
        const auto source =
            ConnectionString::parse("Provider=P;Data Source=" + ConnectionString::quote(path) +
                                    ";JET OLEDB:Database Password=a;b");
        EXPECT_EQ(source.value("Data Source"), path);
        EXPECT_EQ(source.value("Provider"), "P");
        EXPECT_EQ(source.value("Jet OLEDB:Database Password"), "a;b");
        const std::string dir = ConnectionString::quote(path + "/", '{');
        const auto target = ConnectionString::parse("Driver={Paradox (*.db )};DefaultDir=" + dir +
                                                    ";Dbq=" + dir + ";CollatingSequence=ASCII;");
        EXPECT_EQ(target.value("Dbq"), path + "/");
        EXPECT_EQ(target.value("DefaultDir"), path + "/");
        EXPECT_EQ(target.value("CollatingSequence"), "ASCII");
        EXPECT_EQ(target.entries().size(), 4u);
    }
    EXPECT_EQ(ConnectionString::quote("/plain/a.mdb"), "/plain/a.mdb");
}

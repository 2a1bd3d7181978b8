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

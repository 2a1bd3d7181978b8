#include <gtest/gtest.h>

#include <QStringList>

#include "common/MainInputs.h"
#include "engine/SourceConnection.h"

using namespace velmora;

TEST(SourceConnectionString, ChoosesTheProviderFromTheLastFiveCharacters) {
    FixedInputs inputs;
    EXPECT_EQ(
        SourceConnectionString("/d/x.accdb", "", inputs),
        "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/d/x.accdb;JET OLEDB:Database Password=");
    EXPECT_EQ(
        SourceConnectionString("/d/X.ACCDB", "pw", inputs),
        "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/d/X.ACCDB;JET OLEDB:Database Password=pw");
    EXPECT_EQ(
        SourceConnectionString("/d/x.MDB", "secret", inputs),
        "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/d/x.MDB;JET OLEDB:Database Password=secret");
    EXPECT_EQ(SourceConnectionString("/d/xaccdb", "", inputs).left(9), "Provider=");
    EXPECT_EQ(SourceConnectionString("db", "", inputs),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=db;JET OLEDB:Database Password=");
}

TEST(SourceConnectionString, EmptyFileTakesTheMainWindowEntriesUntrimmed) {
    FixedInputs inputs;
    inputs.sourceFile = " /d/a.mdb";
    inputs.sourcePassword = "p w ";
    EXPECT_EQ(
        SourceConnectionString("", "ignored", inputs),
        "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source= /d/a.mdb;JET OLEDB:Database Password=p w ");
}

TEST(ProviderGuidance, MessageLinesAndLayout) {
    const QStringList lines = ProviderGuidanceMessage().split("\r\n");
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], "Error #3706: Provider cannot be found. It may not be properly installed.");
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_EQ(lines[10], "Would you like me to open the Microsoft site now so you can do this?");
    EXPECT_TRUE(
        lines[12].startsWith("(If you have any further questions please email a screenshot"));
    EXPECT_TRUE(lines[12].endsWith(")"));
}

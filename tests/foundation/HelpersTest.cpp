#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "Helpers.h"

using namespace velmora;

TEST(Helpers, ShortTitleRemovesWordsFromTheEnd) {
    EXPECT_EQ(ShortTitle("Velmora Ledger Table Transfer Toolkit Platform"),
              "Velmora Ledger Table Transfer Toolkit");
    EXPECT_EQ(ShortTitle("Short words only in thirty chr"), "Short words only in thirty");
    EXPECT_EQ(ShortTitle("Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota"),
              "Alpha Beta Gamma Delta Epsilon Zeta Eta");
    EXPECT_EQ(ShortTitle("NoSpacesAtAll"), "NoSpacesAtAll");
}

TEST(Helpers, FileTests) {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.db");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.filePath("missing")));
    EXPECT_EQ(IsFolder(dir.path()), std::optional<bool>(true));
    EXPECT_EQ(IsFolder(file), std::optional<bool>(false));
    EXPECT_FALSE(IsFolder(dir.filePath("missing")).has_value());
}

TEST(Helpers, FileNameOfAndListContains) {
    EXPECT_EQ(FileNameOf("/a/b/c.mdb"), "c.mdb");
    EXPECT_EQ(FileNameOf("c.mdb"), "c.mdb");
    EXPECT_EQ(FileNameOf("/a/b/"), "");
    EXPECT_TRUE(ListContains({"x", "ORDERS"}, "orders"));
    EXPECT_FALSE(ListContains({}, "orders"));
    EXPECT_FALSE(ListContains({"ORDERS2"}, "orders"));
}

TEST(Helpers, ProgramDriveRootHasNoSpaceAndEndsInSeparator) {
    const QString root = ProgramDriveRoot();
    EXPECT_FALSE(root.contains(' '));
    EXPECT_TRUE(root.endsWith('/'));
}

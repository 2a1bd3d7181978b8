// Table names: matched and ordered without regard to case; the one statement form.

#include <gtest/gtest.h>

#include <algorithm>

#include "access/NameFolding.h"
#include "access/Statement.h"
#include "tests/access/JavaNumberText.h"

namespace velmora::access {
namespace {

TEST(Names, CompareWithoutRegardToCaseBeyondAscii) {
    EXPECT_TRUE(sameName("Ünïcödé Tàblé", "üNÏCÖDÉ tÀBLÉ"));
    EXPECT_TRUE(sameName("Ελληνικός", "ΕΛΛΗΝΙΚΌΣ"));
    EXPECT_FALSE(sameName("Orders", "Order"));
}

TEST(Names, SortWithoutRegardToCaseThenByCodePoint) {
    std::vector<std::string> names = {"orders",   "MSysObjects",       "Order Details", "ORDERS",
                                      "MSysACEs", "MSysAccessStorage", "Ünïcödé",       "Zebra"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return nameLess(a, b); });
    const std::vector<std::string> expected = {"MSysAccessStorage",
                                               "MSysACEs",
                                               "MSysObjects",
                                               "Order Details",
                                               "ORDERS",
                                               "orders",
                                               "Zebra",
                                               "Ünïcödé"};
    EXPECT_EQ(names, expected);
}

TEST(SelectStatement, TakesTheNameVerbatim) {
    EXPECT_EQ(selectAllTableName("SELECT * FROM `Bob's Table (1)`"), "Bob's Table (1)");
    EXPECT_EQ(selectAllTableName("select*from`  spaced  `"), "  spaced  ");
    EXPECT_EQ(selectAllTableName("\tSELECT\n*\nFROM `日本語テーブル`;"), "日本語テーブル");
    EXPECT_EQ(selectAllTableName("SELECT * FROM `#Hash & $Dollar %`"), "#Hash & $Dollar %");
}

TEST(SelectStatement, RefusesEverythingElse) {
    for (const char* s : {"SELECT * FROM `a` `b`", "SELECTED * FROM `a`", "SELECT ** FROM `a`",
                          "SELECT * FROMA `a`", "SELECT * FROM `a`;;", "INSERT INTO `a`"})
        EXPECT_EQ(selectAllTableName(s), std::nullopt) << s;
}

// The expected values were written by Java; our formatter must agree with it.
TEST(JavaNumbers, MatchDoubleToStringAndFloatToString) {
    using testing::javaDoubleText;
    using testing::javaFloatText;
    EXPECT_EQ(javaDoubleText(12345.5), "12345.5");
    EXPECT_EQ(javaDoubleText(-12345.0), "-12345.0");
    EXPECT_EQ(javaDoubleText(0.001), "0.001");
    EXPECT_EQ(javaDoubleText(0.0001), "1.0E-4");
    EXPECT_EQ(javaDoubleText(9999999.0), "9999999.0");
    EXPECT_EQ(javaDoubleText(1e7), "1.0E7");
    EXPECT_EQ(javaDoubleText(1.7976931348623157e308), "1.7976931348623157E308");
    EXPECT_EQ(javaDoubleText(-0.0), "-0.0");
    EXPECT_EQ(javaFloatText(3.4028235e38f), "3.4028235E38");
    EXPECT_EQ(javaFloatText(-1000.25f), "-1000.25");
    EXPECT_EQ(javaFloatText(0.1f), "0.1");
}

}  // namespace
}  // namespace velmora::access

#include <gtest/gtest.h>

#include "dataaccess/AdoTypeName.h"

using velmora::AdoTypeName;

TEST(AdoTypeName, NamesEveryMemberExactly) {
    EXPECT_EQ(AdoTypeName(8).value(), "adBSTR");
    EXPECT_EQ(AdoTypeName(72).value(), "adGUID");
    EXPECT_EQ(AdoTypeName(17).value(), "adUnsignedTinyInt");
    EXPECT_EQ(AdoTypeName(135).value(), "adDBTimeStamp");
    EXPECT_EQ(AdoTypeName(205).value(), "adLongVarBinary");
    EXPECT_EQ(AdoTypeName(0).value(), "adEmpty");
}

TEST(AdoTypeName, CodesOutsideTheEnumerationHaveNoName) {
    for (int code : {1, 15, 137, 8192, -1, 206, 32767})
        EXPECT_FALSE(AdoTypeName(code).has_value()) << code;
}

TEST(AdoTypeName, CoversThirtyNineCodes) {
    int named = 0;
    for (int code = -32768; code <= 32767; ++code)
        named += AdoTypeName(static_cast<std::int16_t>(code)).has_value();
    EXPECT_EQ(named, 39);
}

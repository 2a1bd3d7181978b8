// Exact reading of numbers, the date and time forms of statements, and code pages.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/text/CodePage.h"
#include "common/text/Utf8.h"
#include "dataaccess/DbError.h"
#include "paradox/DecimalNumber.h"
#include "paradox/FieldCodec.h"
#include "paradox/ValueEncoder.h"

using namespace velmora::paradox;

namespace {
Exactness scaled(const char* text, int scale, unsigned __int128 limit, unsigned __int128& out) {
    DecimalNumber number;
    EXPECT_TRUE(parseDecimal(text, number)) << text;
    return scaledMagnitude(number, scale, limit, out);
}
}  // namespace

TEST(DecimalNumber, ScalesOnlyWhenExact) {
    unsigned __int128 m = 0;
    EXPECT_EQ(scaled("12.5", 4, 1000000, m), Exactness::Exact);
    EXPECT_EQ(static_cast<long>(m), 125000);
    EXPECT_EQ(scaled("1.5e3", 0, 10000, m), Exactness::Exact);
    EXPECT_EQ(static_cast<long>(m), 1500);
    EXPECT_EQ(scaled("-0.000", 0, 10, m), Exactness::Exact);
    EXPECT_EQ(static_cast<long>(m), 0);
    EXPECT_EQ(scaled("1.500000000000000000000000000000000000000000000", 1, 100, m),
              Exactness::Exact);
    EXPECT_EQ(static_cast<long>(m), 15);
    EXPECT_EQ(scaled("000000000000000000000000000000000000000000000042", 0, 100, m),
              Exactness::Exact);
    EXPECT_EQ(scaled("1.23456", 4, 1000000, m), Exactness::Fraction);
    EXPECT_EQ(scaled("32768", 0, 32767, m), Exactness::TooLarge);
    EXPECT_EQ(scaled("1e400", 0, 32767, m), Exactness::TooLarge);
    EXPECT_EQ(scaled("1e-400", 0, 32767, m), Exactness::Fraction);
    DecimalNumber number;
    for (const char* bad : {"", ".", "-", "1e", "1e+", "1.2.3", "12a", "--1", "0x10"})
        EXPECT_FALSE(parseDecimal(bad, number)) << bad;
}

TEST(DecimalNumber, NearestDoubleRefusesWhatADoubleCannotHold) {
    double value = 0;
    EXPECT_TRUE(nearestDouble("0.1", value));
    EXPECT_EQ(value, 0.1);
    EXPECT_TRUE(nearestDouble("-1.7976931348623157e308", value));
    EXPECT_EQ(value, -1.7976931348623157e308);
    EXPECT_TRUE(nearestDouble("4.9406564584124654e-324", value));
    EXPECT_GT(value, 0);
    EXPECT_FALSE(nearestDouble("1e309", value));
}

TEST(CodePage, TextRoundTripsThroughCodePage1252) {
    const velmora::text::CodePage& cp = velmora::text::CodePage::forNumber(1252);
    const auto encoded = [&](const std::string& text) {
        std::string bytes;
        std::size_t i = 0;
        char32_t c = 0;
        while (i < text.size()) {
            EXPECT_TRUE(velmora::text::nextCodePoint(text, i, c));
            const int b = cp.encode(c);
            EXPECT_GE(b, 0);
            bytes.push_back(static_cast<char>(b));
        }
        return bytes;
    };
    const auto decoded = [&](const std::string& bytes) {
        std::string text = "kept ";
        cp.decode(bytes, text);
        return text.substr(5);
    };
    const std::string sample = "Zoë € ß Œ ™ ÿ";
    EXPECT_EQ(encoded(sample), "Zo\xEB \x80 \xDF \x8C \x99 \xFF");
    EXPECT_EQ(decoded(encoded(sample)), sample);
    for (std::size_t run = 0; run < 20; ++run) {  // runs of ASCII read whole, at any alignment
        const std::string text = std::string(run, 'a') + "é" + std::string(run * 2, 'b') + "€";
        EXPECT_EQ(decoded(encoded(text)), text);
        EXPECT_EQ(decoded(encoded(text + std::string(run, 'c'))), text + std::string(run, 'c'));
    }
    EXPECT_EQ(cp.encode(U'中'), -1);
    EXPECT_EQ(cp.encode(U'Ω'), -1);
    EXPECT_EQ(velmora::text::CodePage::forNumber(437).encode(U'Ω'), 0xEA);
    std::size_t at = 0;
    char32_t c = 0;
    EXPECT_FALSE(velmora::text::nextCodePoint("\xC0\x80", at, c));  // overlong
    at = 0;
    EXPECT_FALSE(velmora::text::nextCodePoint("\xED\xA0\x80", at, c));  // surrogate
    at = 0;
    EXPECT_FALSE(velmora::text::nextCodePoint("\xE2\x82", at, c));  // cut off
}

TEST(FieldCodec, NumbersSortBytewiseAndBlankIsZero) {
    std::uint8_t a[8], b[8];
    const double values[] = {-1e300, -2.5, -0.0, 0.0, 1e-300, 3.0, 1e300};
    for (std::size_t i = 0; i + 1 < std::size(values); ++i) {
        putDouble(a, values[i]);
        putDouble(b, values[i + 1]);
        EXPECT_LT(std::memcmp(a, b, 8), 0) << values[i];
        EXPECT_FALSE(isBlank(a, 8));
        EXPECT_EQ(std::signbit(getDouble(a)), std::signbit(values[i]));
    }
    putLong(a, -2147483647);
    putLong(b, 2147483647);
    EXPECT_LT(std::memcmp(a, b, 4), 0);
    putLong(a, -2147483647 - 1);  // the one value that would read as blank
    EXPECT_TRUE(isBlank(a, 4));
    putShort(a, -32767);
    EXPECT_EQ(getShort(a), -32767);
    EXPECT_EQ(dateValue(static_cast<std::int32_t>(paradoxDayNumber({2018, 1, 1}))),
              velmora::db::fromCivil({{2018, 1, 1}}));
    EXPECT_EQ(paradoxDayNumber({2018, 1, 1}), 736695);  // as Borland's date5.db stores it
}

TEST(FieldCodec, BcdKeepsEveryDigit) {
    std::uint8_t p[17];
    unsigned __int128 big = 1;
    for (int i = 0; i < 32; ++i) big *= 10;
    big -= 1;  // 32 nines
    putBcd(p, true, big, 10);
    const auto d = getBcd(p, 10);
    EXPECT_TRUE(d.negative);
    EXPECT_EQ(d.toString(), "-9999999999999999999999.9999999999");
    putBcd(p, false, 123, 2);
    EXPECT_EQ(p[0], 0xC2);
    EXPECT_EQ(getBcd(p, 2).toString(), "1.23");
}

// Money values as the run writes them (digits, at most four decimals) are read the quick
// way; they must encode exactly as the same numbers written any other way, and the ones
// a Money field cannot hold must fail as before.
TEST(ValueEncoder, MoneyInTheRunsFormEncodesAsAnyOtherForm) {
    FieldInfo money;
    money.name = "M";
    money.type = FieldType::Currency;
    money.length = 8;
    EncodeContext context;
    context.codePage = &velmora::text::CodePage::forNumber(1252);
    const auto encoded = [&](std::string_view raw, bool negative) {
        sql::Literal literal;
        literal.kind = sql::LiteralKind::Number;
        literal.raw = raw;
        literal.negative = negative;
        std::uint8_t record[8] = {};
        try {
            encodeLiteral(literal, 0, money, record, context);
        } catch (const velmora::db::DbError& e) {  // the reason, without the value
            return e.description().substr(e.description().find(" does not fit"));
        }
        return std::string(reinterpret_cast<const char*>(record), 8);
    };
    const std::pair<const char*, const char*> same[] = {
        {"123.4567", "1234567e-4"},
        {"5.", "5e0"},
        {"0.5", "5e-1"},
        {"00012", "12e0"},
        {"0", "0e0"},
        {"922337203685.4775", "9223372036854775e-4"},
        {"99999999999999.9999", "999999999999999999e-4"},  // more digits than a double keeps
        {"1.23456", "123456e-5"},                          // a fifth decimal
        {"999999999999999", "999999999999999e0"},
    };
    for (const auto& [quick, general] : same)
        for (const bool negative : {false, true})
            EXPECT_EQ(encoded(quick, negative), encoded(general, negative))
                << (negative ? "-" : "") << quick;
    EXPECT_EQ(getDouble(reinterpret_cast<const std::uint8_t*>(encoded("123.4567", true).data())),
              -123.4567);
    EXPECT_EQ(encoded("1.23456", false),
              " does not fit column \"M\" (Money): a Money field keeps at most 4 decimal places.");
}

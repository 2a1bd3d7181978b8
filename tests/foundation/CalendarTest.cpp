#include <gtest/gtest.h>

#include <limits>

#include "dataaccess/Calendar.h"
#include "dataaccess/DateTimeText.h"
#include "dataaccess/Value.h"

using namespace velmora::db;

TEST(Calendar, OleDatesBeforeAndAfterTheEpoch) {
    EXPECT_EQ(toCivil(DateTime{0.0}).date, (CivilDate{1899, 12, 30}));
    EXPECT_EQ(toCivil(DateTime{2.0}).date, (CivilDate{1900, 1, 1}));
    // -1.25: one day before the epoch, six in the morning.
    const auto t = toCivil(DateTime{-1.25});
    EXPECT_EQ(t.date, (CivilDate{1899, 12, 29}));
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(toCivil(DateTime{-657434.0}).date, (CivilDate{100, 1, 1}));
    EXPECT_EQ(toCivil(DateTime{2958465.0}).date, (CivilDate{9999, 12, 31}));
    // 29 December 1899, 23:59:59.9999999: rounding reaches the next midnight on either side.
    EXPECT_EQ(toCivil(DateTime{-1.99999999999}), (CivilDateTime{{1899, 12, 30}, 0, 0, 0, 0}));
    EXPECT_EQ(toCivil(DateTime{1.99999999999}), (CivilDateTime{{1900, 1, 1}, 0, 0, 0, 0}));
}

// Finer than a millisecond: the ticks Date/Time Extended keeps, or a serial between
// milliseconds; a millisecond's own serial is not, however far from 1899 it lies.
TEST(Calendar, DigitsFinerThanAMillisecond) {
    for (const CivilDateTime c :
         {CivilDateTime{{2021, 6, 14}, 22, 45, 12, 346}, CivilDateTime{{1, 1, 1}, 0, 0, 0, 1},
          CivilDateTime{{9999, 12, 31}, 23, 59, 59, 999}})
        EXPECT_FALSE(finerThanMillisecond(fromCivil(c)));
    DateTime extended = fromCivil({{2021, 6, 14}, 22, 45, 12, 346});
    extended.ticksBeyondMillisecond = -211;  // 22:45:12.3456789
    EXPECT_TRUE(finerThanMillisecond(extended));
    EXPECT_TRUE(finerThanMillisecond(DateTime{44361.0 + 0.3456789 / 86400}));
}

TEST(Calendar, RoundTripsThroughCivilToTheMillisecond) {
    for (const CivilDateTime c :
         {CivilDateTime{{2021, 3, 5}, 14, 5, 9, 0}, CivilDateTime{{1, 1, 1}, 0, 0, 0, 0},
          CivilDateTime{{1850, 7, 4}, 23, 59, 59, 999},
          CivilDateTime{{9999, 12, 31}, 12, 0, 0, 1}}) {
        EXPECT_EQ(toCivil(fromCivil(c)), c);
    }
}

TEST(Calendar, ValidDates) {
    EXPECT_TRUE(isValidDate(2000, 2, 29));
    EXPECT_FALSE(isValidDate(1900, 2, 29));
    EXPECT_FALSE(isValidDate(2021, 13, 1));
    EXPECT_FALSE(isValidDate(2021, 4, 31));
}

TEST(Value, ExactDecimalTexts) {
    EXPECT_EQ(Currency{125000}.toString(), "12.5");
    EXPECT_EQ(Currency{-1}.toString(), "-0.0001");
    EXPECT_EQ(Currency{INT64_MIN}.toString(), "-922337203685477.5808");
    EXPECT_EQ((Decimal{true, 12345, 4, 18}).toString(), "-1.2345");
    EXPECT_EQ((Decimal{false, 5, 3, 18}).toString(), "0.005");
    // Past 19 digits the inner zeros of each 19-digit group stay.
    const unsigned __int128 e19 = 10'000'000'000'000'000'000ULL;
    EXPECT_EQ((Decimal{false, e19, 0, 28}).toString(), "10000000000000000000");
    EXPECT_EQ((Decimal{true, e19 * 1'000'000'000 + 5, 2, 28}).toString(),
              "-100000000000000000000000000.05");
    EXPECT_EQ((Decimal{false, 100, 0, 18}).toString(), "100");
    Guid g{{0x78, 0x56, 0x34, 0x12, 0xbc, 0x9a, 0xf0, 0xde, 1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(g.toString(), "{12345678-9ABC-DEF0-0102-030405060708}");
}

TEST(Value, EqualOnlyInKindAndValue) {
    const Value values[] = {Value(),
                            Value(false),
                            Value(true),
                            Value(0),
                            Value(1),
                            Value(0.0f),
                            Value(1.5f),
                            Value(0.0),
                            Value(1.5),
                            Value(Currency{0}),
                            Value(Currency{1}),
                            Value(Decimal{false, 1, 0, 18}),
                            Value(Decimal{false, 1, 1, 18}),
                            Value(DateTime{1.5}),
                            Value(DateTime{1.5, 1}),
                            Value(std::string()),
                            Value(std::string("a")),
                            Value(Bytes{}),
                            Value(Bytes{1}),
                            Value(Guid{}),
                            Value(Guid{{1}})};
    for (std::size_t i = 0; i < std::size(values); ++i)
        for (std::size_t j = 0; j < std::size(values); ++j)
            EXPECT_EQ(values[i] == values[j], i == j) << i << " " << j;
    const Value nan(std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(nan == nan);  // as doubles compare
}

TEST(DateTimeText, MonthFirstWithAnySeparator) {
    struct Case {
        const char* text;
        int year, month, day, hour, minute, second, ms;
        bool hasTime;
    };
    const Case cases[] = {
        {"03/05/2021", 2021, 3, 5, 0, 0, 0, 0, false},
        {"03.05.2021", 2021, 3, 5, 0, 0, 0, 0, false},
        {"3-5-2021", 2021, 3, 5, 0, 0, 0, 0, false},
        {" 03/05/2021 14:05:09 ", 2021, 3, 5, 14, 5, 9, 0, true},
        {"03.05.2021 14.05.09", 2021, 3, 5, 14, 5, 9, 0, true},
        {"2021-03-05T14:05:09.123", 2021, 3, 5, 14, 5, 9, 123, true},
        {"12/31/9999 23:59:59.999", 9999, 12, 31, 23, 59, 59, 999, true},
        {"03/05/2021 14:05:09,123", 2021, 3, 5, 14, 5, 9, 123, true},
        {"03/05/2021 14:05:09.12", 2021, 3, 5, 14, 5, 9, 120, true},
        {"03/05/2021 14:05", 2021, 3, 5, 14, 5, 0, 0, true},
        {"02/29/2024 00:00:00", 2024, 2, 29, 0, 0, 0, 0, true},
        {"01/01/0001", 1, 1, 1, 0, 0, 0, 0, false},
        {"14:05", 1899, 12, 30, 14, 5, 0, 0, true},
        {"14.05.09", 1899, 12, 30, 14, 5, 9, 0, true},
        {"2:05:09 PM", 1899, 12, 30, 14, 5, 9, 0, true},
        {"12:00:00 AM", 1899, 12, 30, 0, 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        DateTimeText parsed;
        EXPECT_EQ(parseDateTime(c.text, parsed), "") << c.text;
        EXPECT_EQ(parsed.value.date, (CivilDate{c.year, c.month, c.day})) << c.text;
        EXPECT_EQ(parsed.hasTime, c.hasTime) << c.text;
        EXPECT_EQ(parsed.value.hour, c.hour) << c.text;
        EXPECT_EQ(parsed.value.minute, c.minute) << c.text;
        EXPECT_EQ(parsed.value.second, c.second) << c.text;
        EXPECT_EQ(parsed.value.millisecond, c.ms) << c.text;
    }
    for (const char* bad :
         {"", "02/30/2021", "13/01/2021", "03/05/21", "03/05-2021", "03/05/2021 24:00:00",
          "03/05/2021 14:5", "03/05/2021x", "14:60", "12/31/0000", "03/05/2021 14:05:09.1234",
          "13:00 PM", "abc", "02/29/2023", "03/05/2021 14:05:60", "03/05/2021 14:60:00",
          "0a/05/2021", "03/05/2021 14:05:09.1x3", "00/05/2021"}) {
        DateTimeText parsed;
        EXPECT_NE(parseDateTime(bad, parsed), "") << bad;
    }
}

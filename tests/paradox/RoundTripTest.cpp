// Values written through INSERT come back exactly, through this driver and through pxlib,
// at the boundaries of every field type.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dataaccess/Calendar.h"
#include "paradox/FieldCodec.h"
#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

const char* kTypes =
    R"(CREATE TABLE "Types"("K" INT, "S" SMALLINT, "L" INTEGER, "N" FLOAT, "M" CURRENCY, "B" DECIMAL, "D" DATE, )"
    R"("T" TIME, "TS" TIMESTAMP, "Y" BIT, "A" TEXT(255), "C" CHAR, "P" DECIMAL(32,32));)";

std::int64_t millisecondsOf(const db::Value& v) {
    const auto c = db::toCivil(v.asDateTime());
    return ((c.hour * 60LL + c.minute) * 60 + c.second) * 1000 + c.millisecond;
}

std::string codePageBytes(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80)
            out.push_back(static_cast<char>(c));
        else if (utf8.compare(i, 2, "é") == 0) {
            out.push_back('\xE9');
            ++i;
        } else if (utf8.compare(i, 3, "€") == 0) {
            out.push_back('\x80');
            i += 2;
        } else if (utf8.compare(i, 2, "ß") == 0) {
            out.push_back('\xDF');
            ++i;
        }
    }
    return out;
}

}  // namespace

TEST(RoundTrip, BoundaryValuesOfEveryFixedType) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(kTypes);
    target.run(R"(CREATE INDEX "Types" ON "Types" ("K") with primary)");
    std::string alpha;
    for (int i = 0; i < 63; ++i) alpha += "é€ß-";  // 252 characters of code page 1252
    alpha += "end";
    target.run(
        "INSERT INTO \"Types\" VALUES (2, -32767, -2147483647, -1.7976931348623157e308, "
        "-99999999999.9999, "
        "-999999999999999999.99999999999999, '01/01/0001', '00:00:00', '01/01/0001 00:00:00.000', "
        "0, '', 'a', "
        "-0.99999999999999999999999999999999)");
    target.run(
        "INSERT INTO \"Types\" VALUES (3, 32767, 2147483647, 1.7976931348623157e308, "
        "99999999999.9999, "
        "999999999999999999.99999999999999, '12/31/9999', '23:59:59.999', '12/31/9999 "
        "23:59:59.999', 1, '" +
        alpha + "', 'Z', 0.00000000000000000000000000000001)");
    target.run(
        "INSERT INTO \"Types\" VALUES (4, 0, 0, -0.0, -0.0001, 0.00000000000001, '02/29/2000', "
        "'12:34:56.789', "
        "'03/05/2021 14:05:09', TRUE, 'O''Brien', '€', 0)");
    target.run(
        "INSERT INTO \"Types\" VALUES (5, -1, 1, 4.9406564584124654e-324, 0, -0.0, '3.5.2021', "
        "'14.05', "
        "'2021-03-05T14:05:09.001', FALSE, 'Zoë', ' ', -0)");
    target.run("INSERT INTO \"Types\" (K) VALUES (1)");

    const auto rows = target.rows("Types");
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t c = 1; c < rows[0].size(); ++c)
        EXPECT_TRUE(rows[0][c].isNull()) << "column " << c;

    const auto& low = rows[1];
    EXPECT_EQ(low[1].asInt(), -32767);
    EXPECT_EQ(low[2].asInt(), -2147483647);
    EXPECT_EQ(low[3].asDouble(), -1.7976931348623157e308);
    EXPECT_EQ(low[4].asCurrency().units, -999999999999999);
    EXPECT_EQ(low[5].asDecimal().toString(), "-999999999999999999.99999999999999");
    EXPECT_EQ(db::toCivil(low[6].asDateTime()).date, (db::CivilDate{1, 1, 1}));
    EXPECT_EQ(millisecondsOf(low[7]), 0);
    EXPECT_EQ(db::toCivil(low[8].asDateTime()), (db::CivilDateTime{{1, 1, 1}, 0, 0, 0, 0}));
    EXPECT_FALSE(low[9].asBool());
    EXPECT_TRUE(low[10].isNull());  // Paradox keeps no difference between '' and NULL
    EXPECT_EQ(low[11].asText(), "a");
    EXPECT_EQ(low[12].asDecimal().toString(), "-0.99999999999999999999999999999999");

    const auto& high = rows[2];
    EXPECT_EQ(high[1].asInt(), 32767);
    EXPECT_EQ(high[2].asInt(), 2147483647);
    EXPECT_EQ(high[3].asDouble(), 1.7976931348623157e308);
    EXPECT_EQ(high[4].asCurrency().units, 999999999999999);
    EXPECT_EQ(high[5].asDecimal().toString(), "999999999999999999.99999999999999");
    EXPECT_EQ(db::toCivil(high[6].asDateTime()).date, (db::CivilDate{9999, 12, 31}));
    EXPECT_EQ(millisecondsOf(high[7]), 86399999);
    EXPECT_EQ(db::toCivil(high[8].asDateTime()),
              (db::CivilDateTime{{9999, 12, 31}, 23, 59, 59, 999}));
    EXPECT_TRUE(high[9].asBool());
    EXPECT_EQ(high[10].asText(), alpha);
    EXPECT_EQ(high[12].asDecimal().toString(), "0.00000000000000000000000000000001");

    const auto& mixed = rows[3];
    EXPECT_EQ(mixed[3].asDouble(), 0.0);
    EXPECT_TRUE(std::signbit(mixed[3].asDouble()));  // -0 stays -0
    EXPECT_EQ(mixed[4].asCurrency().units, -1);
    EXPECT_EQ(mixed[5].asDecimal().toString(), "0.00000000000001");
    EXPECT_EQ(db::toCivil(mixed[6].asDateTime()).date, (db::CivilDate{2000, 2, 29}));
    EXPECT_EQ(millisecondsOf(mixed[7]), ((12 * 60 + 34) * 60 + 56) * 1000 + 789);
    EXPECT_EQ(db::toCivil(mixed[8].asDateTime()), (db::CivilDateTime{{2021, 3, 5}, 14, 5, 9, 0}));
    EXPECT_EQ(mixed[10].asText(), "O'Brien");
    EXPECT_EQ(mixed[11].asText(), "€");

    const auto& small = rows[4];
    EXPECT_EQ(small[3].asDouble(), 4.9406564584124654e-324);
    EXPECT_EQ(small[5].asDecimal().toString(), "0.00000000000000");
    EXPECT_EQ(db::toCivil(small[6].asDateTime()).date, (db::CivilDate{2021, 3, 5}));
    EXPECT_EQ(millisecondsOf(small[7]), (14 * 60 + 5) * 60000);
    EXPECT_EQ(db::toCivil(small[8].asDateTime()).millisecond, 1);
    EXPECT_EQ(small[10].asText(), "Zoë");
    EXPECT_EQ(small[11].asText(), " ");

    EXPECT_TRUE(paradox::checkTable(folder.path(), "Types").empty());

    // pxlib reads the same values from the same bytes.
    const PxTable px = readWithPxlib(folder.path() / "Types.db");
    ASSERT_EQ(px.rows.size(), 5u);
    EXPECT_EQ(px.names[10], "A");
    for (std::size_t c = 1; c < px.rows[0].size(); ++c)
        EXPECT_TRUE(px.rows[0][c].blank) << "column " << c;
    EXPECT_EQ(px.rows[1][1].number, -32767);
    EXPECT_EQ(px.rows[1][2].number, -2147483647);
    EXPECT_EQ(px.rows[1][3].number, -1.7976931348623157e308);
    EXPECT_EQ(px.rows[1][4].number, -99999999999.9999);
    EXPECT_EQ(px.rows[1][5].text, "-999999999999999999.99999999999999");
    EXPECT_EQ(px.rows[1][6].number, 1);  // day 1 is 1 January of year 1
    EXPECT_EQ(px.rows[2][6].number, static_cast<double>(paradox::paradoxDayNumber({9999, 12, 31})));
    EXPECT_EQ(px.rows[2][7].number, 86399999);
    EXPECT_EQ(
        px.rows[2][8].number,
        static_cast<double>(paradox::paradoxDayNumber({9999, 12, 31})) * 86400000.0 + 86399999);
    EXPECT_EQ(px.rows[2][9].number, 1);
    EXPECT_EQ(px.rows[2][10].text, codePageBytes(alpha));
    EXPECT_EQ(px.rows[3][4].number, -0.0001);
    EXPECT_EQ(px.rows[3][10].text, "O'Brien");
    EXPECT_EQ(px.rows[4][3].number, 4.9406564584124654e-324);
    EXPECT_EQ(px.rows[1][12].text, "-0.99999999999999999999999999999999");
}

TEST(RoundTrip, MemoAndBinaryValuesOfAnyLength) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "Notes"("K" AUTOINCREMENT, "M" MEMO(5), "B" BLOB);)");
    target.run(R"(CREATE INDEX "Notes" ON "Notes" ("K") WITH PRIMARY)");
    const std::vector<std::string> memos = {"",
                                            "five!",
                                            "sixsix",
                                            std::string(2048, 'x'),
                                            std::string(2049, 'y'),
                                            std::string(100000, 'z'),
                                            "Grüße aus Köln – 10 €"};
    for (const auto& memo : memos) {
        std::string escaped;
        for (char c : memo) escaped += c == '\'' ? "''" : std::string(1, c);
        target.run("INSERT INTO \"Notes\" (M, B) VALUES ('" + escaped + "', X'00FF10ab')");
    }
    target.run("INSERT INTO \"Notes\" (M) VALUES (NULL)");
    const auto rows = target.rows("Notes");
    ASSERT_EQ(rows.size(), memos.size() + 1);
    for (std::size_t i = 0; i < memos.size(); ++i) {
        EXPECT_EQ(rows[i][0].asInt(), static_cast<std::int64_t>(i + 1));
        if (memos[i].empty())
            EXPECT_TRUE(rows[i][1].isNull());
        else
            EXPECT_EQ(rows[i][1].asText(), memos[i]) << i;
        EXPECT_EQ(rows[i][2].asBytes(), (db::Bytes{0x00, 0xFF, 0x10, 0xAB}));
    }
    EXPECT_TRUE(rows.back()[1].isNull());
    EXPECT_TRUE(rows.back()[2].isNull());
    EXPECT_TRUE(paradox::checkTable(folder.path(), "Notes").empty());
}

TEST(RoundTrip, EqualStatementsGiveEqualFiles) {
    auto build = [](const std::filesystem::path& folder) {
        Target target(folder);
        target.run(kTypes);
        target.run(R"(CREATE INDEX "Types" ON "Types" ("K") with primary)");
        for (int i = 0; i < 500; ++i)
            target.run("INSERT INTO \"Types\" (K, A, N) VALUES (" +
                       std::to_string((i * 7919) % 1000) + ", 'row " + std::to_string(i) + "', " +
                       std::to_string(i) + ".5)");
        target.run(R"(CREATE TABLE "Memo"("K" INT, "M" MEMO);)");
        target.run(R"(INSERT INTO "Memo" VALUES (1, 'a memo longer than its leader'))");
    };
    ScratchFolder first, second;
    build(first.path());
    build(second.path());
    EXPECT_EQ(snapshot(first.path()), snapshot(second.path()));
}

// Every table of the Paradox corpus (written by Borland's engine and others, levels 5 and
// 7, 2 KB and 16 KB blocks, code pages 437, 850 and 1252, with and without .MB) reads
// with the values the files hold.

#include <gtest/gtest.h>

#include <cmath>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Calendar.h"
#include "dataaccess/Recordset.h"
#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/Corpus.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

db::CivilDateTime civil(const db::Value& v) {
    return db::toCivil(v.asDateTime());
}

double decimalAsDouble(const db::Value& v) {
    return std::stod(v.asDecimal().toString());
}

}  // namespace

TEST(CorpusRead, FieldTypesOfLevel5Tables) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    Target fields(*paradox / "paradoxdriver-tests" / "fields");

    const auto bcd = fields.rows("bcd");
    ASSERT_EQ(bcd.size(), 3u);
    EXPECT_EQ(bcd[0][0].asDecimal().toString(), "1.23");
    EXPECT_EQ(bcd[0][1].asDecimal().toString(), "1");
    EXPECT_EQ(bcd[1][0].asDecimal().toString(), "-1.23");
    EXPECT_EQ(bcd[1][1].asDecimal().toString(), "-1");
    EXPECT_EQ(bcd[2][0].asDecimal().toString(), "0.00");
    EXPECT_TRUE(bcd[2][1].isNull());
    // 32 decimals written from a double, digits past the 19th are not decimal digits.
    EXPECT_NEAR(decimalAsDouble(bcd[0][2]), 0.123, 1e-15);
    EXPECT_NEAR(decimalAsDouble(bcd[1][2]), -0.123, 1e-15);
    EXPECT_NEAR(decimalAsDouble(bcd[2][2]), 0.9999, 1e-15);

    const auto dates = fields.rows("date5");
    ASSERT_EQ(dates.size(), 3u);
    EXPECT_EQ(civil(dates[0][0]).date, (db::CivilDate{2018, 1, 1}));
    EXPECT_EQ(civil(dates[1][0]).date, (db::CivilDate{2018, 2, 1}));
    EXPECT_EQ(
        civil(dates[2][1]).hour * 3600 + civil(dates[2][1]).minute * 60 + civil(dates[2][1]).second,
        9 * 3600 + 25 * 60 + 25);

    const auto times = fields.rows("time");
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(civil(times[0][0]).second, 1);
    EXPECT_TRUE(times[1][0].isNull());
    EXPECT_EQ(civil(times[2][0]).hour, 3);

    const auto stamps = fields.rows("timestamp");
    ASSERT_EQ(stamps.size(), 2u);
    EXPECT_TRUE(stamps[0][0].isNull());
    EXPECT_EQ(civil(stamps[1][0]), (db::CivilDateTime{{2020, 2, 1}, 1, 0, 1, 0}));

    const auto logical = fields.rows("logical");
    ASSERT_EQ(logical.size(), 4u);
    EXPECT_TRUE(logical[0][0].asBool());
    EXPECT_FALSE(logical[1][0].asBool());

    const auto longs = fields.rows("long");
    ASSERT_EQ(longs.size(), 3u);
    EXPECT_EQ(longs[2][0].asInt(), 3);
    EXPECT_TRUE(longs[2][1].isNull());

    const auto bytes = fields.rows("bytes");
    ASSERT_EQ(bytes.size(), 1u);
    ASSERT_EQ(bytes[0][0].asBytes().size(), 255u);
    EXPECT_EQ(bytes[0][0].asBytes()[0], '1');
    EXPECT_EQ(bytes[0][0].asBytes()[2], '2');
}

TEST(CorpusRead, MemoValuesFromTheLeaderAndTheMbFile) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    Target fields(*paradox / "paradoxdriver-tests" / "fields");
    const auto memo = fields.rows("memo");
    ASSERT_EQ(memo.size(), 2u);
    const std::string& first = memo[0][1].asText();  // 555 bytes in a shared .mb block
    EXPECT_EQ(first.size(), 555u);
    EXPECT_EQ(first.substr(0, 12), "012345678900");
    EXPECT_EQ(memo[1][1].asText(), "01234567890\n");  // short enough for the leader alone

    const auto formatted = fields.rows("fmemo");
    ASSERT_EQ(formatted.size(), 2u);
    EXPECT_EQ(formatted[0][1].asBytes().size(), 169u);
    EXPECT_EQ(formatted[1][1].asBytes().size(), 726u);
}

TEST(CorpusRead, Level7TablesWithLargeBlocks) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    Target areaCodes(*paradox / "paradoxdriver-tests" / "db");
    EXPECT_EQ(areaCodes.count("AREACODES"), 370);
    const auto rows = areaCodes.rows("areacodes");  // names match without regard to case
    ASSERT_EQ(rows.size(), 370u);
    EXPECT_EQ(rows[0][0].asText(), "201");
    EXPECT_EQ(rows[0][2].asText(), "Hackensack, Jersey City (201/551 overlay)");
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1][0].asText(), rows[i][0].asText());

    Target geography(*paradox / "paradoxdriver-tests" / "geog");
    const auto counties = geography.rows("County");
    ASSERT_EQ(counties.size(), 3218u);
    EXPECT_EQ(counties[0][0].asInt(), 1);
    EXPECT_EQ(counties[0][1].asText(), "Abbeville");
    EXPECT_EQ(counties[3217][0].asInt(), 3218);
}

TEST(CorpusRead, EveryParadox7FieldType) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    Target target(*paradox / "rparadox");
    db::Recordset rows;
    rows.open("SELECT * FROM TypSammlung", target.connection);
    ASSERT_EQ(rows.recordCount(), 5);
    const auto& f = rows.fields();
    ASSERT_EQ(f.count(), 14);
    EXPECT_EQ(f[1].name(), "Numerisch");
    EXPECT_EQ(f[2].name(), "Währung");
    EXPECT_EQ(f[2].type(), db::ado::adCurrency);
    EXPECT_EQ(f[5].type(), db::ado::adNumeric);
    EXPECT_EQ(f[9].type(), db::ado::adLongVarChar);
    EXPECT_EQ(f[12].type(), db::ado::adLongVarBinary);
    EXPECT_EQ(f[0].value().asText(), "AAA Irgendein Text");
    EXPECT_EQ(f[2].value().asCurrency().units, 400000);
    EXPECT_EQ(f[3].value().asInt(), 40);
    EXPECT_EQ(f[5].value().asDecimal().toString(), "40.000000");
    EXPECT_EQ(civil(f[8].value()), (db::CivilDateTime{{1970, 1, 1}, 11, 0, 0, 0}));
    EXPECT_EQ(f[11].value().asInt(), 1);
    rows.moveNext();
    rows.moveNext();
    EXPECT_EQ(f[0].value().asText(), "Fünfter Datensatz");
    EXPECT_EQ(f[2].value().asCurrency().units, 130020);
    EXPECT_EQ(f[9].value().asText(), "Dies ist eine Memo im 'Fünften Datensat'");
    rows.moveNext();
    rows.moveNext();
    EXPECT_EQ(f[0].value().asText(), "Zweite Zeile");
    EXPECT_EQ(civil(f[6].value()).date, (db::CivilDate{1999, 9, 9}));
    EXPECT_TRUE(f[10].value().asBool());
}

TEST(CorpusRead, BorlandTablesPassTheCheck) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    for (const auto& [folder, table] :
         std::vector<std::pair<std::string, std::string>>{{"paradoxdriver-tests/db", "AREACODES"},
                                                          {"paradoxdriver-tests/geog", "County"},
                                                          {"paradoxdriver-tests/fields", "long"},
                                                          {"paradoxdriver-tests/fields", "memo"},
                                                          {"paradoxdriver-tests/fields", "fmemo"},
                                                          {"paradoxdriver-tests/fields", "bcd"}}) {
        const auto problems = paradox::checkTable(*paradox / folder, table);
        EXPECT_TRUE(problems.empty())
            << table << ": " << (problems.empty() ? "" : problems.front());
    }
    // TypSammlung is keyed but ships without its .px.
    const auto problems = paradox::checkTable(*paradox / "rparadox", "TypSammlung");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("primary index file is missing"), std::string::npos);
}

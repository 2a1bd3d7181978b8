// Columns whose values the usual type cannot hold get one that does: each table goes
// through the first pass, the definition and the rows into the real driver and is read
// back value by value.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Calendar.h"
#include "engine/BestFitRows.h"
#include "engine/CodePageChoice.h"
#include "engine/ColumnProfile.h"
#include "engine/RowTransfer.h"
#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;
using namespace velmora::db;
using namespace velmora::db::ado;

namespace {

using Rows = std::vector<std::vector<Value>>;

struct Arrival : ::testing::Test {
    test::Harness h;
    test::TargetFolder folder;
    bool keepBinary = false;

    // Converts one table as the run does; preview mode only collects the statements.
    void convert(const char* table, const std::vector<ColumnInfo>& columns, const Rows& rows,
                 bool preview = false) {
        h.inputs.preview = preview;
        if (!preview) {
            h.state.targetConnection = std::make_unique<Connection>();
            ASSERT_EQ(folder.open(*h.state.targetConnection), "");
        }
        Recordset first, second;
        first.open(std::make_unique<test::MemoryRows>(columns, rows));
        const TableProfile profile = ProfileRows(first);
        second.open(std::make_unique<test::MemoryRows>(columns, rows));
        Procedure proc(h.prompts, "in test ");
        QString spelled;
        const FieldRoles roles = BuildTableDefinition(table, table, second, proc, h.host, h.state,
                                                      &profile, &spelled, keepBinary);
        TransferRows(spelled, second, roles, LiteralWriter(QLocale::c()), proc, h.host, h.state);
    }
    Rows readBack(const std::string& table) {
        Connection reader;
        EXPECT_EQ(folder.open(reader), "");
        Recordset rs;
        rs.open("SELECT * FROM \"" + table + '"', reader);
        Rows rows;
        for (; !rs.eof(); rs.moveNext()) {
            rows.emplace_back();
            for (int i = 0; i < rs.fields().count(); ++i)
                rows.back().push_back(rs.fields()[i].value());
        }
        return rows;
    }
    QString paradoxType(int entry) const { return h.state.typeMappings.at(entry).ParadoxType; }
};

std::string text(const Value& v) {
    switch (v.kind()) {
        case ValueKind::Decimal:
            return v.asDecimal().toString();
        case ValueKind::Text:
            return v.asText();
        default:
            return "?";
    }
}

}  // namespace

TEST_F(Arrival, OrdinaryValuesKeepTheUsualStatements) {
    convert("Customers",
            {{"ID", adInteger, 4},
             {"Name", adVarWChar, 50},
             {"Balance", adCurrency, 8},
             {"Photo", adLongVarBinary, 0},
             {"Joined", adDate, 8},
             {"Notes", adLongVarWChar, 536870910}},
            {{Value(7), Value(std::string("O'Brien")), Value(Currency{125000}), Value(Bytes{1, 2}),
              Value(DateTime{44260}), Value(std::string(255, 'n'))}},
            true);
    ASSERT_EQ(h.state.statements.count(), 3);
    EXPECT_EQ(
        h.state.statements.text(0),
        "CREATE TABLE \"Customers\"(\"TVXID\" INT, \"ID\" INT, \"Name\" TEXT(50), \"Balance\" "
        "CURRENCY, \"Photo\" VARCHAR, \"Joined\" TIMESTAMP, \"Notes\" TEXT(255));");
}

TEST_F(Arrival, LongTextBecomesMemoAndArrivesWhole) {
    std::string longest;
    while (longest.size() < 70000) longest += "Grüße, O'Neil – ";
    const std::string hex256(256, 'A');
    convert("Memos", {{"Notes", adLongVarWChar, 536870910}, {"Short", adVarBinary, 255}},
            {{Value(std::string("short")), Value(Bytes(128, 0xAA))},
             {Value(longest), Value(Bytes(200, 0x0F))},
             {Value(), Value()}});
    EXPECT_EQ(paradoxType(0), "MEMO");
    EXPECT_EQ(paradoxType(1), "MEMO");  // 400 hexadecimal digits
    EXPECT_TRUE(h.prompts.reports.isEmpty()) << h.prompts.reports.join('\n').toStdString();
    const Rows rows = readBack("Memos");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].asText(), "short");
    EXPECT_EQ(rows[1][1].asText(), longest);
    EXPECT_EQ(rows[0][2].asText(), hex256);
    EXPECT_EQ(rows[1][2].asText().size(), 400u);
    EXPECT_TRUE(rows[2][1].isNull());
}

TEST_F(Arrival, LongBinaryIsLeftEmptyOrKeptWhole) {
    const std::vector<ColumnInfo> columns{{"Photo", adLongVarBinary, 1073741823}};
    const Bytes picture(5000, 0x5A);
    const Rows rows{{Value(picture)}, {Value(Bytes{0x00, 0xFF})}, {Value()}, {Value(Bytes{})}};
    Recordset first;  // an empty value is written blank, like NULL, and counted
    first.open(std::make_unique<test::MemoryRows>(columns, rows));
    EXPECT_EQ(ProfileRows(first).columns[0].emptyBinaryValues, 1);
    convert("Empty", columns, rows);
    EXPECT_EQ(paradoxType(0), "VARCHAR (left empty)");
    keepBinary = true;
    convert("Kept", columns, rows);
    EXPECT_EQ(paradoxType(1), "BLOB");
    EXPECT_TRUE(h.prompts.reports.isEmpty()) << h.prompts.reports.join('\n').toStdString();
    const Rows empty = readBack("Empty"), kept = readBack("Kept");
    ASSERT_EQ(empty.size(), 4u);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_TRUE(kept[3][1].isNull());
    EXPECT_TRUE(empty[0][1].isNull());
    EXPECT_EQ(kept[0][1].asBytes(), picture);
    EXPECT_EQ(kept[1][1].asBytes(), (Bytes{0x00, 0xFF}));
    EXPECT_TRUE(kept[2][1].isNull());
}

TEST_F(Arrival, NumbersWidenOnlyWhereAValueNeedsIt) {
    const std::int64_t big = std::numeric_limits<std::int64_t>::max();
    convert("Numbers",
            {{"Big", adBigInt, 8},
             {"SmallBig", adBigInt, 8},
             {"Short", adSmallInt, 2},
             {"Long", adInteger, 4},
             {"Money", adCurrency, 8},
             {"Dec", adNumeric, 19},
             {"Real", adDouble, 8}},
            {{Value(big), Value(5), Value(-32768), Value(std::int64_t{-2147483648LL}),
              Value(Currency{big}), Value(Decimal{false, 12345678, 6, 18}),
              Value(std::numeric_limits<double>::quiet_NaN())},
             {Value(std::numeric_limits<std::int64_t>::min()), Value(-5), Value(7), Value(7),
              Value(Currency{10000}), Value(Decimal{true, 5, 0, 18}),
              Value(-std::numeric_limits<double>::infinity())}});
    EXPECT_EQ(h.prompts.reports.join('\n'), "");
    const QStringList expected{"DECIMAL", "INT", "INT", "FLOAT", "DECIMAL", "DECIMAL", "FLOAT"};
    for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(paradoxType(i), expected[i]) << i;
    const Rows rows = readBack("Numbers");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(text(rows[0][1]), "9223372036854775807");
    EXPECT_EQ(text(rows[1][1]), "-9223372036854775808");
    EXPECT_EQ(rows[0][2].asInt(), 5);
    EXPECT_EQ(rows[0][3].asInt(), -32768);
    EXPECT_EQ(rows[0][4].asDouble(), -2147483648.0);
    EXPECT_EQ(text(rows[0][5]), "922337203685477.5807");
    EXPECT_EQ(text(rows[1][5]), "1.0000");
    EXPECT_EQ(text(rows[0][6]), "12.345678");
    EXPECT_EQ(text(rows[1][6]), "-5.000000");
    EXPECT_TRUE(std::isnan(rows[0][7].asDouble()));
    EXPECT_EQ(rows[1][7].asDouble(), -std::numeric_limits<double>::infinity());
}

TEST_F(Arrival, TextTakesTheCodePageHoldingTheMostRows) {
    convert("Städte",
            {{"Name", adVarWChar, 20}, {"Όνομα", adVarWChar, 20}, {"Größe", adInteger, 4}},
            {{Value(std::string("Αθήνα")), Value(std::string("ένα")), Value()},
             {Value(std::string("Θεσσαλονίκη")), Value(), Value()},
             {Value(std::string("Москва")), Value(), Value()},
             {Value(std::string("plain")), Value(), Value()}});
    // The type list names what the code page made of the names.
    EXPECT_EQ(paradoxType(0), "TEXT, in table \"Stadte\"");
    EXPECT_EQ(paradoxType(2), "INT, named \"Gro_e\", in table \"Stadte\"");
    ASSERT_EQ(h.state.statementsExecuted, 5);  // definition, index and three rows
    const Rows rows = readBack("Stadte");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].asText(), "Αθήνα");
    EXPECT_EQ(rows[0][2].asText(), "ένα");
    EXPECT_EQ(rows[1][1].asText(), "Θεσσαλονίκη");
    EXPECT_EQ(rows[2][0].asInt(), 3);
    // The Cyrillic row alone is refused, and reported.
    ASSERT_EQ(h.prompts.reports.size(), 1);
    EXPECT_TRUE(h.prompts.reports[0].contains("code page 1253"))
        << h.prompts.reports[0].toStdString();
}

// In a double-byte code page an Alpha field's size counts bytes.
TEST_F(Arrival, DoubleByteTextWidensItsColumn) {
    const std::string japanese = "日本語のテキストです";  // 10 characters, 20 bytes in 932
    convert("Notes", {{"Text", adVarWChar, 10}}, {{Value(japanese)}});
    EXPECT_EQ(h.prompts.reports.join('\n'), "");
    const Rows rows = readBack("Notes");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].asText(), japanese);
}

TEST(BestFit, RowsKeptInTheTablesCodePageOnRequest) {
    Recordset rows;
    auto cursor = std::make_unique<BestFitRows>(
        std::make_unique<test::MemoryRows>(
            std::vector<ColumnInfo>{{"T", adVarWChar, 50}, {"N", adInteger, 4}},
            Rows{{Value(std::string("Ünïcödé Ωμέγα Ж 😀")), Value(1)},
                 {Value(std::string("Ελληνικά")), Value(2)}}),
        1253);
    const BestFitRows* respelled = cursor.get();
    rows.open(std::move(cursor));
    EXPECT_EQ(rows.fields()[0].value().asText(), "Unicode Ωμέγα ? ?");
    rows.moveNext();
    EXPECT_EQ(rows.fields()[0].value().asText(), "Ελληνικά");
    EXPECT_EQ(respelled->rowsRespelled(), 1);
    EXPECT_EQ(BestFitName(QString::fromUtf8("Größe Ōsaka 東"), 1252),
              QString::fromUtf8("Größe Osaka _"));
}

// Field names arrive as Access spells them wherever the table's code page holds their
// characters; only a character it lacks takes the best-fit spelling, and a name that then
// meets another takes a counter. pxlib reads the same names from the header.
TEST_F(Arrival, NamesArriveAsAccessSpellsThem) {
    const std::vector<ColumnInfo> columns{{"Field1", adInteger, 4}, {"A.B", adInteger, 4},
                                          {"#", adInteger, 4},      {"Gro_e", adInteger, 4},
                                          {"Größe", adInteger, 4},  {"Name", adVarWChar, 20}};
    const Rows latin{
        {Value(1), Value(2), Value(3), Value(4), Value(5), Value(std::string("Köln"))}};
    Rows cyrillic = latin;
    cyrillic[0][5] = Value(std::string("Москва"));
    struct Case {
        const char* table;
        const Rows& rows;
        int codePage;
        std::vector<std::string> names;  // after TVXID
    };
    for (const Case& c :
         {Case{"Latin", latin, 1252, {"Field1", "A.B", "Field2", "Gro_e", "Größe", "Name"}},
          Case{"Cyrillic",
               cyrillic,
               1251,
               {"Field1", "A.B", "Field2", "Gro_e", "Gro_e0", "Name"}}}) {
        convert(c.table, columns, c.rows);
        EXPECT_EQ(h.state.statementsFailed, 0) << h.prompts.reports.join('\n').toStdString();
        db::Connection reader;
        ASSERT_EQ(folder.open(reader), "");
        Recordset rs;
        rs.open(std::string("SELECT * FROM \"") + c.table + '"', reader);
        ASSERT_EQ(rs.fields().count(), 7);
        const paradox::test::PxTable px = paradox::test::readWithPxlib(
            folder.dir.filePath(QString::fromUtf8(c.table) + ".db").toStdString());
        ASSERT_EQ(px.names.size(), 7u);
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(rs.fields()[static_cast<int>(i) + 1].name(), c.names[i]) << c.table;
            // pxlib leaves names in the table's code page (1252 spells ö and ß as Latin-1 does).
            EXPECT_EQ(px.names[i + 1], QString::fromStdString(c.names[i]).toLatin1().toStdString())
                << c.table;
        }
        ASSERT_EQ(px.rows.size(), 1u);
        EXPECT_EQ(px.rows[0][2].number, 2) << c.table;
    }
}

// A Date/Time value keeps its milliseconds through the driver; Date/Time Extended's finer
// digits are rounded to the nearest one and counted, and its years before 100 arrive too.
TEST_F(Arrival, TimestampsKeepTheirMilliseconds) {
    auto at = [](CivilDateTime civil, std::int16_t ticks) {
        DateTime value = fromCivil(civil);
        value.ticksBeyondMillisecond = ticks;
        return Value(value);
    };
    const std::vector<CivilDateTime> expected{
        {{2021, 6, 14}, 22, 45, 12, 346}, {{100, 6, 14}, 12, 45, 0, 123}, {{1, 1, 1}, 0, 0, 0, 1}};
    const Rows rows{{at(expected[0], -211)}, {at(expected[1], 4567)}, {at(expected[2], 0)}};
    Recordset first;
    first.open(
        std::make_unique<test::MemoryRows>(std::vector<ColumnInfo>{{"At", adDate, 8}}, rows));
    EXPECT_EQ(ProfileRows(first).columns[0].roundedDateTimes, 2);
    convert("Stamps", {{"At", adDate, 8}}, rows);
    EXPECT_EQ(h.prompts.reports.join('\n'), "");
    const Rows back = readBack("Stamps");
    const paradox::test::PxTable px =
        paradox::test::readWithPxlib(folder.dir.filePath("Stamps.db").toStdString());
    ASSERT_EQ(back.size(), 3u);
    ASSERT_EQ(px.rows.size(), 3u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(toCivil(back[i][1].asDateTime()), expected[i]) << i;
        // pxlib: milliseconds since the start of year 1 (day 1).
        EXPECT_EQ(static_cast<std::int64_t>(px.rows[i][1].number) % 1000, expected[i].millisecond)
            << i;
    }
}

// A table read once notes its values while writing them; the notes must be those a first
// pass takes, for every kind of text the quick ASCII check lets by or sends on.
TEST_F(Arrival, ValuesNotedWhileWritingMatchAFirstPass) {
    const std::vector<ColumnInfo> columns = {
        {"Text", adVarWChar, 255}, {"Other", adVarWChar, 255}, {"Number", adInteger, 4}};
    const Rows rows = {
        {Value(std::string("plain ascii, longer than a word")), Value(), Value(std::int64_t{7})},
        {Value(std::string("eight by\0te", 11)), Value(std::string("Größe")),
         Value(std::int64_t{-3})},
        {Value(std::string("\0", 1)), Value(std::string("abcdefgh\x7f")), Value()},
        {Value(std::string("Москва")), Value(std::string("ab")), Value(std::int64_t{12})},
        {Value(std::string("日本語")), Value(std::string("ordinary text")), Value()}};
    Recordset first, second;
    first.open(std::make_unique<test::MemoryRows>(columns, rows));
    const TableProfile expected = ProfileRows(first);
    second.open(std::make_unique<test::MemoryRows>(columns, rows));
    h.inputs.preview = true;
    Procedure proc(h.prompts, "in test ");
    const FieldRoles roles =
        BuildTableDefinition("T", "T", second, proc, h.host, h.state, &expected, nullptr, false);
    TableProfile noted;
    TransferRows("T", second, roles, LiteralWriter(QLocale::c()), proc, h.host, h.state, {},
                 &noted);
    ASSERT_EQ(noted.rows, 5);
    EXPECT_EQ(noted.rowsByCodePages, expected.rowsByCodePages);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(i);
        const ColumnProfile &a = noted.columns[i], &b = expected.columns[i];
        EXPECT_EQ(std::tie(a.longestText, a.longestDoubleByteText, a.hasZeroCharacter, a.nulls,
                           a.smallestInteger, a.largestInteger),
                  std::tie(b.longestText, b.longestDoubleByteText, b.hasZeroCharacter, b.nulls,
                           b.smallestInteger, b.largestInteger));
    }
    // Counted by hand: characters, non-ASCII counted twice, zero bytes, code page sets.
    EXPECT_EQ(expected.columns[0].longestText, 31);
    EXPECT_EQ(expected.columns[0].longestDoubleByteText, 31);
    EXPECT_TRUE(expected.columns[0].hasZeroCharacter);
    EXPECT_EQ(expected.columns[1].longestText, 13);
    EXPECT_EQ(expected.columns[1].longestDoubleByteText, 13);
    EXPECT_FALSE(expected.columns[1].hasZeroCharacter);
    EXPECT_EQ(expected.rowsByCodePages.size(), 4u);  // ASCII, German, Russian, Japanese
    // The set of every code page, the largest mask, holds the two ASCII rows.
    EXPECT_EQ(expected.rowsByCodePages.rbegin()->second, 2);
}

// The shortcut for small amounts must answer as the division and multiplication back do.
TEST(ColumnProfileMoney, SmallAmountsNeedNoRoundTrip) {
    const auto roundTrips = [](std::int64_t units) {
        return std::llround(static_cast<double>(units) / 10000.0 * 10000.0) == units;
    };
    std::int64_t refused = 0;
    for (const std::int64_t base : {std::int64_t{0}, std::int64_t{1} << 49, std::int64_t{1} << 50,
                                    std::int64_t{1} << 53, std::int64_t{1} << 61})
        for (std::int64_t step = 0; step < 5000; ++step)
            for (const std::int64_t units : {base + step * 7919, -(base + step * 7919)}) {
                EXPECT_EQ(FitsMoney(units), roundTrips(units)) << units;
                refused += !FitsMoney(units);
            }
    EXPECT_GT(refused, 0);  // past 2^53 a double skips units
}

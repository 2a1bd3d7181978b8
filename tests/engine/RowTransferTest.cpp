#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Calendar.h"
#include "dataaccess/DateTimeText.h"
#include "engine/InsertPipeline.h"
#include "engine/NumberFormat.h"
#include "engine/ReadAheadRows.h"
#include "engine/RowReport.h"
#include "engine/RowTransfer.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;
using namespace velmora::db;
using namespace velmora::db::ado;

namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return fromCivil(CivilDateTime{{y, mo, d}, h, mi, s, 0});
}

struct Transfer : ::testing::Test {
    test::Harness h;
    TransferCounts run(const QLocale& locale, std::vector<ColumnInfo> columns,
                       std::vector<std::vector<Value>> rows, FieldRoles roles) {
        h.inputs.preview = true;
        Recordset rs;
        rs.open(std::make_unique<test::MemoryRows>(std::move(columns), std::move(rows)));
        Procedure proc(h.prompts, "in test ");
        const LiteralWriter literals(locale);
        return TransferRows("Customers", rs, roles, literals, proc, h.host, h.state);
    }
};

const std::vector<ColumnInfo> kCustomers = {{"ID", adInteger, 4},
                                            {"Name", adVarWChar, 50},
                                            {"Balance", adCurrency, 8},
                                            {"Photo", adLongVarBinary, 0},
                                            {"Joined", adDate, 8}};
FieldRoles rolesOf(std::vector<int> numeric, std::vector<int> binary = {}) {
    FieldRoles roles;
    roles.NumericFields = std::move(numeric);
    roles.BinaryFields = std::move(binary);
    return roles;
}

const FieldRoles kCustomerRoles = rolesOf({0, 2}, {3});

}  // namespace

TEST_F(Transfer, CustomersRowUnderDecimalCommaLocale) {
    run(QLocale(QLocale::French, QLocale::France), kCustomers,
        {{Value(7), Value(std::string("O'Brien")), Value(Currency{125000}),
          Value(Bytes{1, 2, 0, 3}), Value(at(2021, 3, 5))}},
        kCustomerRoles);
    ASSERT_EQ(h.state.statements.count(), 1);
    // The apostrophe is doubled, never replaced.
    EXPECT_EQ(h.state.statements.text(0),
              "INSERT INTO \"Customers\" VALUES(0,7, 'O''Brien', 12.5, '', '03/05/2021')");
}

TEST_F(Transfer, LocaleSeparatorsAndThePatterns) {
    const std::vector<ColumnInfo> cols = {{"D", adDate, 8}};
    run(QLocale(QLocale::German, QLocale::Germany), cols,
        {{Value(at(2021, 3, 5, 14, 5, 9))},
         {Value(at(1899, 12, 30))},
         {Value(at(100, 1, 2))},
         {Value(at(1850, 7, 4, 23, 59, 59))},
         {Value(Null{})}},
        {});
    EXPECT_EQ(h.state.statements.text(0),
              "INSERT INTO \"Customers\" VALUES(0,'03.05.2021 14:05:09')");
    EXPECT_EQ(h.state.statements.text(1),
              "INSERT INTO \"Customers\" VALUES(1,'12.30.1899 00:00:00')");
    EXPECT_EQ(h.state.statements.text(2), "INSERT INTO \"Customers\" VALUES(2,'01.02.0100')");
    EXPECT_EQ(h.state.statements.text(3),
              "INSERT INTO \"Customers\" VALUES(3,'07.04.1850 23:59:59')");
    EXPECT_EQ(h.state.statements.text(4), "INSERT INTO \"Customers\" VALUES(4,NULL)");
}

TEST_F(Transfer, DateOutsideTheCalendarIsRefusedNotWrapped) {
    const std::vector<ColumnInfo> cols = {{"D", adDate, 8}};
    run(QLocale::c(), cols,
        {{Value(DateTime{1e15})},
         {Value(DateTime{std::numeric_limits<double>::quiet_NaN()})},
         {Value(DateTime{-1e300})},
         {Value(DateTime{2958466.0})},
         {Value(DateTime{-693594.0})},
         {Value(at(9999, 12, 31, 23, 59, 59))},
         {Value(at(1, 1, 1))}},
        {});
    ASSERT_EQ(h.prompts.reports.size(), 5);
    for (const QString& report : h.prompts.reports)
        EXPECT_TRUE(report.contains("lies outside the years 1 to 9999")) << report.toStdString();
    EXPECT_EQ(h.state.statements.text(5),
              "INSERT INTO \"Customers\" VALUES(5,'12/31/9999 23:59:59')");
    EXPECT_EQ(h.state.statements.text(6), "INSERT INTO \"Customers\" VALUES(6,'01/01/0001')");
}

TEST_F(Transfer, TextIsWrittenAsItsText) {
    const std::vector<ColumnInfo> cols = {{"T", adVarWChar, 50}, {"N", adInteger, 4}};
    run(QLocale(QLocale::English, QLocale::UnitedStates), cols,
        {{Value(std::string("1/2")), Value(1)},
         {Value(std::string("12:30")), Value(Null{})},
         {Value(std::string("1,5")), Value(3)},
         {Value(std::string("")), Value(4)},
         {Value(Null{}), Value(5)},
         {Value(std::string("Z\xC3\xBCrich \xF0\x9F\x98\x80 'q'")), Value(6)}},
        rolesOf({1}));
    EXPECT_EQ(h.state.statements.text(0), "INSERT INTO \"Customers\" VALUES(0,'1/2', 1)");
    EXPECT_EQ(h.state.statements.text(1), "INSERT INTO \"Customers\" VALUES(1,'12:30', NULL)");
    EXPECT_EQ(h.state.statements.text(2), "INSERT INTO \"Customers\" VALUES(2,'1,5', 3)");
    EXPECT_EQ(h.state.statements.text(3), "INSERT INTO \"Customers\" VALUES(3,NULL, 4)");
    EXPECT_EQ(h.state.statements.text(4), "INSERT INTO \"Customers\" VALUES(4,NULL, 5)");
    EXPECT_EQ(h.state.statements.text(5),
              QString::fromUtf8(
                  "INSERT INTO \"Customers\" VALUES(5,'Z\xC3\xBCrich \xF0\x9F\x98\x80 ''q''', 6)"));
}

TEST_F(Transfer, NumbersKeepEveryDigit) {
    const std::vector<ColumnInfo> cols = {{"D", adDouble, 8},
                                          {"S", adSingle, 4},
                                          {"C", adCurrency, 8},
                                          {"M", adNumeric, 19},
                                          {"B", adBoolean, 2}};
    Decimal big{true, (static_cast<unsigned __int128>(1) << 95) + 12345, 10, 28};
    run(QLocale(QLocale::German, QLocale::Germany), cols,
        {{Value(0.1), Value(3.75f), Value(Currency{INT64_MIN}), Value(big), Value(true)},
         {Value(1e300), Value(0.1f), Value(Currency{1}), Value(Decimal{false, 5, 3, 18}),
          Value(false)},
         {Value(-0.0), Value(Null{}), Value(Currency{-125000}), Value(Null{}), Value(Null{})}},
        rolesOf({0, 1, 2, 3, 4}));
    EXPECT_EQ(h.state.statements.text(0),
              "INSERT INTO \"Customers\" VALUES(0,0.1, 3.75, -922337203685477.5808, "
              "-3961408125713216879.6771987513, 1)");
    EXPECT_EQ(h.state.statements.text(1),
              "INSERT INTO \"Customers\" VALUES(1,1e+300, 0.10000000149011612, 0.0001, 0.005, 0)");
    EXPECT_EQ(h.state.statements.text(2),
              "INSERT INTO \"Customers\" VALUES(2,-0, NULL, -12.5, NULL, NULL)");
}

TEST(NumberText, ReadsBackToTheSameNumber) {
    for (double d :
         {0.1, 1.0 / 3.0, 123456789.123456789, 5e-324, std::numeric_limits<double>::max(), -2.5e-8})
        EXPECT_EQ(std::strtod(NumberText(d).c_str(), nullptr), d) << NumberText(d);
    for (float f : {0.1f, 1.0f / 3.0f, 3.4028235e38f, 1e-45f})
        EXPECT_EQ(std::strtof(NumberText(f).c_str(), nullptr), f) << NumberText(f);
    EXPECT_EQ(NumberText(std::nan("")), "NaN");
}

// Numbers with few decimals are written the quick way; every text must be the one
// std::to_chars gives, whichever way it was made.
TEST(NumberText, QuickTextsAreTheShortestTexts) {
    std::mt19937_64 random(26);
    std::vector<double> values = {1.0,
                                  -1.0,
                                  10.0,
                                  1e6,
                                  1234567.0,
                                  1e15,
                                  999999.0,
                                  1e5,
                                  12e5,
                                  0.5,
                                  0.05,
                                  0.001,
                                  0.0,
                                  -0.0,
                                  1.5,
                                  99.99,
                                  1e16,
                                  1e15 + 1,
                                  9.999999999999998,
                                  1125899906842623.5};
    const double scales[] = {1, 10, 100, 1e3, 1e4, 1e6, 1e8, 1e9};
    for (int i = 0; i < 200000; ++i) {
        const auto n = static_cast<double>(random() >> (11 + random() % 50));
        values.push_back((i % 2 ? -n : n) / scales[random() % std::size(scales)]);
        std::uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any)) values.push_back(any);
    }
    for (const double value : values) {
        char expected[64], quick[kNumberTextRoom];
        const std::string_view want(expected,
                                    std::to_chars(expected, expected + 64, value).ptr - expected);
        ASSERT_EQ(std::string_view(quick, WriteShortest(quick, value) - quick), want) << want;
    }
}

TEST_F(Transfer, ProgressRowNumbersAndBinaryFields) {
    const std::vector<ColumnInfo> cols = {{"P", adLongVarBinary, 0}};
    run(QLocale::c(), cols, {{Value(Bytes{1})}, {Value(Null{})}, {Value(Bytes{})}},
        rolesOf({}, {0}));
    ASSERT_EQ(h.progress.values.size(), 3u);
    EXPECT_DOUBLE_EQ(h.progress.values[0], 2.0 / 4.0 * 100.0);
    EXPECT_DOUBLE_EQ(h.progress.values[2], 100.0);
    EXPECT_EQ(h.state.statements.text(2), "INSERT INTO \"Customers\" VALUES(2,'')");
}

TEST_F(Transfer, SingleRowShowsOneHundredAndEmptyTableWritesNothing) {
    const std::vector<ColumnInfo> cols = {{"N", adInteger, 4}};
    run(QLocale::c(), cols, {{Value(1)}}, rolesOf({0}));
    ASSERT_EQ(h.progress.values.size(), 1u);
    EXPECT_DOUBLE_EQ(h.progress.values[0], 100.0);

    test::Harness other;
    h.state.statements.clear();
    h.progress.values.clear();
    run(QLocale::c(), cols, {}, rolesOf({0}));
    EXPECT_EQ(h.state.statements.count(), 0);
    EXPECT_TRUE(h.progress.values.empty());
}

// A row that cannot be read is reported with its table and number and left out; the
// rows after it keep their own numbers and no row is written twice.
TEST_F(Transfer, UnreadableRowIsReportedAndLeftOut) {
    h.inputs.preview = true;
    auto rows = std::make_unique<test::MemoryRows>(
        std::vector<ColumnInfo>{{"N", adInteger, 4}},
        std::vector<std::vector<Value>>{{Value(10)}, {Value(11)}, {Value(12)}, {Value(13)}});
    rows->unreadable = {2};
    Recordset rs;
    rs.open(std::move(rows));
    Procedure proc(h.prompts, "in test ");
    const TransferCounts counts =
        TransferRows("T", rs, rolesOf({0}), LiteralWriter(QLocale::c()), proc, h.host, h.state);
    ASSERT_EQ(h.state.statements.count(), 3);
    EXPECT_EQ(h.state.statements.text(1), "INSERT INTO \"T\" VALUES(1,11)");
    EXPECT_EQ(h.state.statements.text(2), "INSERT INTO \"T\" VALUES(3,13)");
    EXPECT_EQ(counts.rowsDispatched, 3);
    EXPECT_EQ(counts.rowsUnreadable, 1);
    ASSERT_EQ(h.prompts.reports.size(), 1);
    EXPECT_TRUE(h.prompts.reports[0].contains("table \"T\", row TVXID 2\r\nin test at line 492"))
        << h.prompts.reports[0].toStdString();
}

// Straight into a table, the driver answers on its own thread; refusals and unreadable
// rows are still reported in row order, across batches, and every other row arrives.
TEST_F(Transfer, DirectRowsReportInRowOrderAcrossBatches) {
    test::TargetFolder folder;
    h.state.targetConnection = std::make_unique<Connection>();
    ASSERT_EQ(folder.open(*h.state.targetConnection), "");
    h.state.targetConnection->execute("CREATE TABLE \"T\" (\"TVXID\" INT, \"S\" TEXT(10))");
    std::vector<std::vector<Value>> values;
    for (int i = 0; i < 1000; ++i)
        values.push_back({Value(std::string(i == 1 || i == 300 || i == 999 ? "\xce\xa9" : "a"))});
    auto rows = std::make_unique<test::MemoryRows>(std::vector<ColumnInfo>{{"S", adVarWChar, 10}},
                                                   std::move(values));
    rows->unreadable = {2, 450};
    Recordset rs;
    rs.open(std::move(rows));
    Procedure proc(h.prompts, "in test ");
    const TransferCounts counts =
        TransferRows("T", rs, FieldRoles{}, LiteralWriter(QLocale::c()), proc, h.host, h.state);

    EXPECT_EQ(counts.rowsDispatched, 995);
    EXPECT_EQ(counts.rowsFailed, 3);
    EXPECT_EQ(counts.rowsUnreadable, 2);
    EXPECT_EQ(h.state.statementsExecuted, 995);
    EXPECT_EQ(h.state.statementsFailed, 3);
    const std::vector<std::pair<const char*, int>> expected = {{"row TVXID 1 ", 490},
                                                               {"row TVXID 2\r", 492},
                                                               {"row TVXID 300 ", 490},
                                                               {"row TVXID 450\r", 492},
                                                               {"row TVXID 999 ", 490}};
    ASSERT_EQ(h.prompts.reports.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QString& report = h.prompts.reports[static_cast<qsizetype>(i)];
        EXPECT_TRUE(report.contains(expected[i].first) &&
                    report.contains(QStringLiteral("at line %1\r").arg(expected[i].second)))
            << report.toStdString();
    }
    EXPECT_TRUE(h.prompts.reports[0].contains("S='\xce\xa9'"));
    h.state.targetConnection.reset();
    EXPECT_EQ(folder.keys("T").size(), 995u);
}

// After a failure that ends the table (a full disk), no later statement reaches the
// driver and only the statements that ran are answered, in order.
TEST(InsertPipeline, NothingRunsAfterAFailureThatEndsTheTable) {
    std::vector<std::string> ran;
    std::vector<std::pair<std::int64_t, bool>> answers;
    {
        InsertPipeline pipeline(
            InsertPipeline::Mode::Threaded,
            [&ran](std::string_view statement) {
                ran.emplace_back(statement);
                if (statement == "5") throw std::runtime_error("refused");
                if (statement == "700") throw std::logic_error("full");
            },
            [](const std::exception_ptr& failure) {
                try {
                    std::rethrow_exception(failure);
                } catch (const std::logic_error&) {
                    return true;
                } catch (...) {
                    return false;
                }
            },
            [&answers](const PendingRow& row, const std::exception_ptr& failure) {
                answers.emplace_back(row.rowNumber, failure != nullptr);
            });
        PendingRow row;
        for (int i = 0; i < 2000; ++i) {
            row.statement = std::to_string(i);
            row.rowNumber = i;
            pipeline.send(row);
        }
        pipeline.settle();
    }
    ASSERT_EQ(ran.size(), 701u);
    ASSERT_EQ(answers.size(), 701u);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].first, static_cast<std::int64_t>(i));
        EXPECT_EQ(answers[i].second, i == 5 || i == 700) << i;
    }
}

// An open whose first row cannot be read leaves the record set closed, so the next
// table can be opened with it.
TEST(Recordset, FailedOpenLeavesItClosed) {
    const std::vector<ColumnInfo> cols = {{"N", adInteger, 4}};
    auto damaged = std::make_unique<test::MemoryRows>(cols, std::vector<std::vector<Value>>{{}});
    damaged->unreadable = {0};
    Recordset rs;
    EXPECT_THROW(rs.open(std::move(damaged)), DbError);
    EXPECT_FALSE(rs.isOpen());
    rs.open(std::make_unique<test::MemoryRows>(cols, std::vector<std::vector<Value>>{{Value(1)}}));
    EXPECT_EQ(rs.fields()[0].value().asInt(), 1);
}

// Under every locale Qt knows, a date and time literal reads back through the driver's
// grammar as the same instant: a separator the driver does not take gives way to "/"
// or ":".
TEST(LiteralWriter, DateLiteralsReadBackUnderEveryLocale) {
    const CivilDateTime instant{{2021, 3, 5}, 14, 5, 9, 0};
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 300);
    for (const QLocale& locale : locales) {
        const std::string text = LiteralWriter(locale).dateLiteral(fromCivil(instant));
        db::DateTimeText parsed;
        EXPECT_EQ(db::parseDateTime(text, parsed), "") << locale.name().toStdString() << text;
        EXPECT_EQ(parsed.value, instant) << locale.name().toStdString() << " " << text;
    }
    EXPECT_EQ(LiteralWriter(QLocale("ar_EG")).dateLiteral(fromCivil(instant)),
              "03/05/2021 14:05:09");
}

// Dates keep their milliseconds; finer digits are rounded, which can reach the next
// midnight (before 1900 too, the instant moves forward to it) but not the year 10000.
TEST(LiteralWriter, MillisecondsAreKeptAndFinerDigitsRounded) {
    const LiteralWriter w(QLocale::c());
    const auto literal = [&](int y, int mo, int d, int h, int mi, int s, int ms) {
        return w.dateLiteral(fromCivil(CivilDateTime{{y, mo, d}, h, mi, s, ms}));
    };
    EXPECT_EQ(literal(1850, 6, 15, 23, 59, 59, 700), "06/15/1850 23:59:59.700");
    EXPECT_EQ(literal(2021, 6, 14, 22, 45, 12, 346), "06/14/2021 22:45:12.346");
    EXPECT_EQ(literal(1, 1, 1, 0, 0, 0, 5), "01/01/0001 00:00:00.005");
    EXPECT_EQ(w.dateLiteral(DateTime{-1.99999999999}), "12/30/1899 00:00:00");
    EXPECT_EQ(w.dateLiteral(DateTime{18429.99999999999}), "06/16/1950");
    EXPECT_EQ(w.dateLiteral(DateTime{std::nextafter(2958466.0, 0.0)}), "12/31/9999 23:59:59.999");
}

// Reports show control characters escaped, so a NUL or a line break in a value cannot
// cut a report short or break it up; the driver's refusal escapes them too.
TEST(Reports, ControlCharactersAreEscaped) {
    EXPECT_EQ(ReportedValue(Value(std::string("a\0b\r\nc", 6))), "'a\\u0000b\\r\\nc'");
    EXPECT_EQ(ReportedValue(Value(std::string(50, 'x'))), "'" + QString(40, u'x') + "...'");
    EXPECT_EQ(ReportedValue(Value(Currency{125000})), "12.5");
    EXPECT_EQ(ReportedValue(Value(Null{})), "NULL");

    test::TargetFolder folder;
    Connection target;
    ASSERT_EQ(folder.open(target), "");
    target.execute("CREATE TABLE \"T\"(\"A\" TEXT(3))");
    std::string insert = "INSERT INTO \"T\" VALUES('a";
    insert += '\0';
    insert += "bcdef')";
    try {
        target.execute(insert);
        ADD_FAILURE() << "the value does not fit";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("'a\\u0000bcdef' does not fit column"),
                  std::string::npos)
            << e.what();
    }
}

namespace {

// Rows 0, 1, ... at the places 0, 2, 4, ... (every other row left out); every 97th row
// cannot be read.
class EveryOtherRow final : public db::RowCursor {
  public:
    explicit EveryOtherRow(std::int64_t rows) : rows_(rows) {}
    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return rows_ * 2; }
    bool fetch(std::vector<db::Value>& row) override {
        if (next_ >= rows_) return false;
        const std::int64_t number = next_++;
        if (number % 97 == 96)
            throw db::DbError(db::errc::kProviderFailure, "row " + std::to_string(number));
        row[0] = db::Value(number);
        row[1] = db::Value(std::string(static_cast<std::size_t>(number % 50), 'x'));
        return true;
    }
    std::optional<std::int64_t> position() const override { return (next_ - 1) * 2; }
    std::vector<db::LostRows> lostRows() const override {
        return {{1, next_, true, 0, "read so far: " + std::to_string(next_)}};
    }
    db::LostColumns lostColumns() const override { return {{"Total"}, "calculated"}; }

  private:
    const std::vector<db::ColumnInfo> columns_{{"N", db::ado::adInteger, 4},
                                               {"T", db::ado::adVarWChar, 50}};
    const std::int64_t rows_;
    std::int64_t next_ = 0;
};

}  // namespace

// Rows read ahead on a thread of their own arrive as the cursor gives them: values,
// places, failures where they happened, and the rows left out of the whole table; a
// cursor dropped part way stops its reading.
TEST(ReadAheadRows, RowsArriveAsTheCursorGivesThem) {
    constexpr std::int64_t kRows = 2000;
    db::Recordset direct, ahead;
    direct.open(std::make_unique<EveryOtherRow>(kRows));
    ahead.open(std::make_unique<ReadAheadRows>(std::make_unique<EveryOtherRow>(kRows)));
    EXPECT_EQ(ahead.recordCount(), kRows * 2);
    ASSERT_EQ(ahead.fields().count(), 2);
    EXPECT_EQ(ahead.fields()[1].name(), "T");
    std::int64_t rows = 0, failures = 0;
    while (!direct.eof()) {
        ASSERT_FALSE(ahead.eof());
        ASSERT_EQ(ahead.rowNumber(), direct.rowNumber());
        EXPECT_EQ(ahead.fields()[0].value(), direct.fields()[0].value());
        EXPECT_EQ(ahead.fields()[1].value(), direct.fields()[1].value());
        ++rows;
        for (;;) {
            std::string aheadFailure, directFailure;
            try {
                ahead.moveNext();
            } catch (const db::DbError& e) {
                aheadFailure = e.description();
            }
            try {
                direct.moveNext();
            } catch (const db::DbError& e) {
                directFailure = e.description();
            }
            ASSERT_EQ(aheadFailure, directFailure);
            if (directFailure.empty()) break;
            ++failures;
        }
    }
    EXPECT_TRUE(ahead.eof());
    EXPECT_EQ(rows + failures, kRows);
    EXPECT_EQ(failures, kRows / 97);
    ASSERT_EQ(ahead.lostRows().size(), 1u);
    EXPECT_EQ(ahead.lostRows()[0].reason, "read so far: 2000");
    EXPECT_EQ(ahead.lostColumns().names, std::vector<std::string>{"Total"});

    // Asked part way, the rows left out are those of the whole table, read to its end
    // without waiting for the caller; dropped part way, the reading stops.
    db::Recordset early;
    early.open(std::make_unique<ReadAheadRows>(std::make_unique<EveryOtherRow>(100000)));
    early.moveNext();
    EXPECT_EQ(early.lostRows()[0].reason, "read so far: 100000");
    db::Recordset dropped;
    dropped.open(std::make_unique<ReadAheadRows>(std::make_unique<EveryOtherRow>(1000000)));
    dropped.moveNext();
    dropped.close();
}

// The 200,000-row all-types table (generated/alltypes_200k_v2000.mdb.xz, unpacked into a
// scratch folder): large enough for usage maps kept on separate pages and for memos and
// OLE values spread over long-value pages. Every value is a function of the row's ID
// (generated/README.md), so every value of every row is checked against that function.

#include <gtest/gtest.h>

#include <cstdio>

#include "dataaccess/Calendar.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {
namespace {

const char* const kWords[16] = {"alpha",
                                "Ünïcödé",
                                "日本語テキスト",
                                "Ελληνικά",
                                "кириллица",
                                "emoji 😀 pair",
                                "quote \" inside",
                                "apostrophe ' inside",
                                "comma, semicolon; tab\tend",
                                "line1\r\nline2",
                                "",
                                "   padded   ",
                                "back\\slash",
                                "ÆØÅ æøå ß",
                                "€ sign",
                                "中文 字符"};
constexpr std::int64_t kRows = 200000;

db::Bytes oleBytes(std::int64_t id) {
    db::Bytes b(static_cast<std::size_t>(id % 1000 == 0 ? 5000 : id % 50 + 1));
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>((id * 31 + static_cast<std::int64_t>(i) * 7) & 0xff);
    return b;
}

std::string memoText(std::int64_t id) {
    if (id % 100 != 0) return "memo " + std::to_string(id) + " " + kWords[(id * 7) % 16];
    std::string text;
    while (text.size() < 1000) text += "memo " + std::to_string(id) + " ";
    return text.substr(0, 1000);
}

std::string guidText(std::int64_t id) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "{%08llX-%04llX-%04llX-%04llX-%012llX}",
                  static_cast<unsigned long long>(id), static_cast<unsigned long long>(id % 65536),
                  static_cast<unsigned long long>(0x4000 | (id % 4096)),
                  static_cast<unsigned long long>(0x8000 | (id % 16384)),
                  static_cast<unsigned long long>(id * 1234567));
    return buffer;
}

db::CivilDateTime dateOf(std::int64_t id) {
    const std::int64_t seconds = (id - kRows / 2) * 86461;
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const std::int64_t rest = seconds - days * 86400;
    db::CivilDateTime t;
    t.date = db::civilFromDays(db::daysFromCivil({1899, 12, 30}) + days);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

// Checks column c of the row with this id (a fatal failure on the first difference).
void checkColumn(int c, std::int64_t id, const db::Value& v) {
    const bool null = c > 0 && c != 12 && id % 10 == c % 10;
    ASSERT_EQ(v.isNull(), null) << "column " << c << " id " << id;
    if (null) return;
    switch (c) {
        case 0:
            ASSERT_EQ(v.asInt(), id);
            break;
        case 1:
            ASSERT_EQ(v.asText(), "row " + std::to_string(id) + " " + kWords[id % 16]) << id;
            break;
        case 2:
            ASSERT_EQ(v.asText(), "n" + std::to_string(id));
            break;
        case 3:
            ASSERT_EQ(v.asText(), memoText(id)) << id;
            break;
        case 4:
            ASSERT_EQ(v.asInt(), id % 256);
            break;
        case 5:
            ASSERT_EQ(v.asInt(), (id * 37) % 65536 - 32768);
            break;
        case 6:
            ASSERT_EQ(v.asInt(),
                      static_cast<std::int32_t>(static_cast<std::uint32_t>(id * 2654435761LL)));
            break;
        case 7:
            ASSERT_EQ(v.asSingle(), static_cast<float>(id / 4.0 - 1000.25));
            break;
        case 8:
            ASSERT_EQ(v.asDouble(), id / 8.0 - 12345.5);
            break;
        case 9:
            ASSERT_EQ(v.asCurrency().units, id * 12345 - 500000000);
            break;
        case 10: {
            const db::Decimal& d = v.asDecimal();
            ASSERT_EQ(d.negative, id % 2 != 0);
            ASSERT_EQ(d.magnitude, static_cast<unsigned __int128>(id * 1000003));
            ASSERT_EQ(d.scale, 4);
            break;
        }
        case 11: {
            db::CivilDateTime got = db::toCivil(v.asDateTime());
            got.millisecond = 0;
            ASSERT_EQ(got, dateOf(id)) << id;
            break;
        }
        case 12:
            ASSERT_EQ(v.asBool(), id % 3 == 0);
            break;
        case 13:
            ASSERT_EQ(v.asBytes(), oleBytes(id)) << id;
            break;
        case 14:
            ASSERT_EQ(v.asText(), "link " + std::to_string(id) + "#http://example.com/" +
                                      std::to_string(id) + "#");
            break;
        case 15:
            ASSERT_EQ(v.asGuid().toString(), guidText(id));
            break;
        case 16: {
            db::Bytes b = oleBytes(id);
            b.resize(16, 0);
            ASSERT_EQ(v.asBytes(), b) << id;
            break;
        }
    }
}

TEST(LargeTable, EveryValueOfTwoHundredThousandRows) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    ScratchFolder folder;
    const auto file =
        unpackXz(*root / "access/generated/alltypes_200k_v2000.mdb.xz", folder.path());
    db::Connection connection;
    connection.open(connectionStringFor(file));
    db::Recordset rs;
    rs.open("SELECT * FROM `AllTypes`", connection);
    ASSERT_EQ(rs.recordCount(), kRows);
    ASSERT_EQ(rs.fields().count(), 17);
    std::int64_t id = 0;
    for (; !rs.eof(); rs.moveNext()) {
        ++id;
        for (int c = 0; c < 17; ++c) {
            checkColumn(c, id, rs.fields()[c].value());
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(id, kRows);
}

}  // namespace
}  // namespace velmora::access::testing

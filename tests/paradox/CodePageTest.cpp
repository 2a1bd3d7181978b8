// Tables created in another code page than 1252, and the non-finite values of Number
// fields, read back through this driver and through pxlib.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "tests/paradox/ParadoxTestSupport.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

std::string headerBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(CodePage, TextAndNamesArriveInTheTablesCodePage) {
    struct Case {
        int codePage;
        const char* table;
        const char* field;
        const char* text;
        const char* sortOrder;
    };
    const Case cases[] = {
        {1253, "Πίνακας", "Όνομα", "Ελληνικά ΆΈΉ ώ", "angreek1"},
        {1251, "Таблица", "Имя", "кириллица Ёё №", "ancyrr"},
        {1250, "Tabulka", "Jméno", "Łódź Příliš žluťoučk", "anczech"},
        {932, "表", "名前", "日本語テキスト ｶﾀｶﾅ", "japan"},
        {936, "表格", "名字", "中文文本", "china"},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        Target target(folder.path());
        const std::string table = std::string("\"") + c.table + '"';
        target.run("CREATE TABLE " + table + "(\"K\" INT, \"" + c.field +
                   "\" TEXT(20), \"M\" MEMO) CODEPAGE " + std::to_string(c.codePage) + ";");
        target.run("INSERT INTO " + table + " VALUES (1, '" + c.text + "', '" + c.text + "')");
        // A character of another script is refused, never replaced.
        const std::string other = c.codePage == 1251 ? "Ω" : c.codePage < 1000 ? "Ą" : "Ж";
        EXPECT_NE(errorOf(target, "INSERT INTO " + table + " VALUES (2, '" + other + "', NULL)")
                      .find("does not exist in code page " + std::to_string(c.codePage)),
                  std::string::npos);

        const auto rows = target.rows(c.table);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][1].asText(), c.text);
        EXPECT_EQ(rows[0][2].asText(), c.text);

        const auto file = folder.path() / (std::string(c.table) + ".db");
        const std::string header = headerBytes(file);
        EXPECT_EQ(static_cast<unsigned char>(header[0x6A]) |
                      static_cast<unsigned char>(header[0x6B]) << 8,
                  c.codePage);
        EXPECT_NE(header.find(std::string(c.sortOrder) + '\0'), std::string::npos);
        // pxlib aborts on tables with an .mb file, so it reads a copy without the memo;
        // it converts values by the header's code page (field names it leaves as bytes).
        ScratchFolder plain;
        Target alpha(plain.path());
        alpha.run("CREATE TABLE " + table + "(\"K\" INT, \"" + c.field + "\" TEXT(20)) CODEPAGE " +
                  std::to_string(c.codePage) + ";");
        alpha.run("INSERT INTO " + table + " VALUES (1, '" + c.text + "')");
        const PxTable px = readWithPxlib(plain.path() / (std::string(c.table) + ".db"), "UTF-8");
        ASSERT_EQ(px.rows.size(), 1u);
        EXPECT_EQ(px.rows[0][1].text, c.text);
    }
}

TEST(CodePage, OnlyCodePagesWithALanguageDriver) {
    ScratchFolder folder;
    Target target(folder.path());
    // A double-byte Alpha field's size counts bytes.
    target.run(R"(CREATE TABLE "J"("A" TEXT(5)) CODEPAGE 932;)");
    target.run(R"(INSERT INTO "J" VALUES ('日本a'))");
    EXPECT_NE(errorOf(target, R"(INSERT INTO "J" VALUES ('日本語'))").find("the column holds 5"),
              std::string::npos);
    EXPECT_NE(errorOf(target, R"(CREATE TABLE "T"("K" INT) CODEPAGE 437;)")
                  .find("cannot be created in code page 437"),
              std::string::npos);
    EXPECT_NE(errorOf(target, R"(CREATE TABLE "Ω"("K" INT);)").find("code page 1252"),
              std::string::npos);
}

TEST(NumberField, KeepsNaNAndInfinities) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "N"("K" INT, "N" FLOAT);)");
    target.run(R"(INSERT INTO "N" VALUES (1, 'NaN'))");
    target.run(R"(INSERT INTO "N" VALUES (2, 'Infinity'))");
    target.run(R"(INSERT INTO "N" VALUES (3, '-Infinity'))");
    // Only these spellings: any other text is still no number.
    EXPECT_NE(errorOf(target, R"(INSERT INTO "N" VALUES (4, 'nan'))").find("not a number"),
              std::string::npos);
    const auto rows = target.rows("N");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(std::isnan(rows[0][1].asDouble()));
    EXPECT_EQ(rows[1][1].asDouble(), INFINITY);
    EXPECT_EQ(rows[2][1].asDouble(), -INFINITY);
    const PxTable px = readWithPxlib(folder.path() / "N.db");
    ASSERT_EQ(px.rows.size(), 3u);
    EXPECT_FALSE(px.rows[0][1].blank);
    EXPECT_TRUE(std::isnan(px.rows[0][1].number));
    EXPECT_EQ(px.rows[1][1].number, INFINITY);
    EXPECT_EQ(px.rows[2][1].number, -INFINITY);
}

// Rows added to copies of Borland-written tables: keys stay in order across split
// blocks, the .px stays valid, and pxlib reads the same rows in the same order.

#include <gtest/gtest.h>

#include "dataaccess/Calendar.h"
#include "paradox/TableCheck.h"
#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/Corpus.h"

using namespace velmora;
using namespace velmora::paradox::test;

namespace {

void expectSound(const ScratchFolder& folder, const std::string& table) {
    const auto problems = paradox::checkTable(folder.path(), table);
    EXPECT_TRUE(problems.empty()) << table << ": " << (problems.empty() ? "" : problems.front());
}

}  // namespace

TEST(CorpusAppend, AlphaKeysIntoFullSixteenKilobyteBlocks) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "paradoxdriver-tests" / "db", "AREACODES.DB", folder.path());
    Target target(folder.path());
    target.run(
        "INSERT INTO AREACODES VALUES ('2015', 'NJ', 'between 201 and 202: the full first block "
        "splits')");
    target.run("INSERT INTO AREACODES VALUES ('000', 'XX', 'before every other key')");
    target.run("INSERT INTO AREACODES VALUES ('999', 'YY', 'after every other key')");
    target.run("INSERT INTO AREACODES (AC, Cities) VALUES ('5000', 'no state')");
    EXPECT_NE(errorOf(target, "INSERT INTO AREACODES VALUES ('201', 'NJ', 'again')")
                  .find("already has a row with the key \"AC\" = '201'"),
              std::string::npos);

    const auto rows = target.rows("AREACODES");
    ASSERT_EQ(rows.size(), 374u);
    EXPECT_EQ(rows.front()[0].asText(), "000");
    EXPECT_EQ(rows[1][0].asText(), "201");
    EXPECT_EQ(rows[2][0].asText(), "2015");
    EXPECT_EQ(rows.back()[0].asText(), "999");
    for (std::size_t i = 1; i < rows.size(); ++i)
        ASSERT_LT(rows[i - 1][0].asText(), rows[i][0].asText());
    expectSound(folder, "AREACODES");

    const PxTable independent = readWithPxlib(folder.path() / "AREACODES.DB");
    ASSERT_EQ(independent.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(independent.rows[i][0].text, rows[i][0].asText());
        EXPECT_EQ(independent.rows[i][1].blank, rows[i][1].isNull());
    }
}

TEST(CorpusAppend, LongKeysInCodePage437) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "paradoxdriver-tests" / "geog", "County.DB", folder.path());
    Target target(folder.path());
    target.run("INSERT INTO County VALUES (0, 'Zéro', 'FR', '00000')");
    target.run("INSERT INTO County VALUES (5000, 'Last', 'ZZ', '99999')");
    EXPECT_NE(errorOf(target, "INSERT INTO County VALUES (1500, 'Middle', 'MM', NULL)")
                  .find("\"CountyID\" = 1500"),
              std::string::npos);
    EXPECT_EQ(target.count("County"), 3220);
    EXPECT_NE(
        errorOf(target, "INSERT INTO County VALUES (7000, '中', 'ZZ', NULL)").find("code page 437"),
        std::string::npos);
    const auto rows = target.rows("County");
    EXPECT_EQ(rows.front()[1].asText(), "Zéro");
    EXPECT_EQ(rows.back()[0].asInt(), 5000);
    for (std::size_t i = 1; i < rows.size(); ++i)
        ASSERT_LT(rows[i - 1][0].asInt(), rows[i][0].asInt());
    expectSound(folder, "County");
    const PxTable independent = readWithPxlib(folder.path() / "County.DB");
    ASSERT_EQ(independent.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(static_cast<std::int64_t>(independent.rows[i][0].number), rows[i][0].asInt());
    EXPECT_EQ(independent.rows.front()[1].text, "Z\x82ro");  // é in code page 437
}

TEST(CorpusAppend, AutoincrementKeyContinuesFromTheHeader) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "paradoxdriver-tests" / "fields", "long.db", folder.path());
    Target target(folder.path());
    target.run("INSERT INTO long (LONG) VALUES (40)");  // Id left out: the next number, 4
    target.run("INSERT INTO long VALUES (NULL, 50)");
    target.run("INSERT INTO long VALUES (10, 100)");
    target.run("INSERT INTO long VALUES (NULL, 110)");
    const auto rows = target.rows("long");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[3][0].asInt(), 4);
    EXPECT_EQ(rows[3][1].asInt(), 40);
    EXPECT_EQ(rows[4][0].asInt(), 5);
    EXPECT_EQ(rows[5][0].asInt(), 10);
    EXPECT_EQ(rows[6][0].asInt(), 11);
    expectSound(folder, "long");
    const PxTable independent = readWithPxlib(folder.path() / "long.db");
    ASSERT_EQ(independent.rows.size(), 7u);
    EXPECT_EQ(independent.rows[6][0].number, 11);
    EXPECT_EQ(independent.rows[6][1].number, 110);
}

TEST(CorpusAppend, MemosIntoAnExistingMbFile) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "paradoxdriver-tests" / "fields", "memo.db", folder.path());
    Target target(folder.path());
    const std::string medium(600, 'm');
    const std::string large(5000, 'L');
    target.run("INSERT INTO memo VALUES (NULL, 'short')");
    target.run("INSERT INTO memo VALUES (NULL, '" + medium + "')");
    target.run("INSERT INTO memo VALUES (NULL, '" + large + "')");
    target.run("INSERT INTO memo VALUES (NULL, 'Grüße')");  // memo.db uses code page 850
    EXPECT_NE(errorOf(target, "INSERT INTO memo VALUES (NULL, '10 €')").find("code page 850"),
              std::string::npos);
    const auto rows = target.rows("memo");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][1].asText().size(), 555u);  // the old values are untouched
    EXPECT_EQ(rows[2][1].asText(), "short");
    EXPECT_EQ(rows[3][1].asText(), medium);
    EXPECT_EQ(rows[4][1].asText(), large);
    EXPECT_EQ(rows[5][1].asText(), "Grüße");
    expectSound(folder, "memo");
}

TEST(CorpusAppend, UnkeyedBcdTable) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "paradoxdriver-tests" / "fields", "bcd.db", folder.path());
    Target target(folder.path());
    target.run(
        "INSERT INTO bcd VALUES (-123456789012345678901234567890.12, 42, "
        "0.12345678901234567890123456789012)");
    const auto rows = target.rows("bcd");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3][0].asDecimal().toString(), "-123456789012345678901234567890.12");
    EXPECT_EQ(rows[3][1].asDecimal().toString(), "42");
    EXPECT_EQ(rows[3][2].asDecimal().toString(), "0.12345678901234567890123456789012");
    const PxTable independent = readWithPxlib(folder.path() / "bcd.db");
    ASSERT_EQ(independent.rows.size(), 4u);
    EXPECT_EQ(independent.rows[3][0].text, "-123456789012345678901234567890.12");
    EXPECT_EQ(independent.rows[3][2].text, "0.12345678901234567890123456789012");
}

TEST(CorpusAppend, KeyedTableWithoutItsIndexIsLeftAlone) {
    VELMORA_CORPUS_FOLDER(paradox, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*paradox / "rparadox", "TypSammlung.DB", folder.path());
    const auto before = snapshot(folder.path());
    Target target(folder.path());
    EXPECT_NE(errorOf(target, "INSERT INTO TypSammlung (Alpha) VALUES ('x')")
                  .find("primary index file (.px)"),
              std::string::npos);
    EXPECT_EQ(snapshot(folder.path()), before);
    EXPECT_EQ(target.count("TypSammlung"), 5);
}

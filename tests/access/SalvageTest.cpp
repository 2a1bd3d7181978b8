// Damaged databases give every row that can still be read, each at its place, and say what
// they lost: one bad data page, one bad long-value page, a damaged catalogue, a file cut at
// half.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "access/AccessDatabase.h"
#include "access/OwnedPages.h"
#include "access/RowLayout.h"
#include "access/RowScanner.h"
#include "access/TableDefinition.h"
#include "tests/access/CorpusFiles.h"
#include "tests/access/TableContents.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

// The pages of `table` that hold its rows, in the order its rows use them.
std::vector<std::uint32_t> dataPagesOf(const fs::path& file, const std::string& table) {
    const auto database = AccessDatabase::open(file.string(), "");
    const CatalogueEntry* entry = database->catalogue().find(table);
    const TableDefinition definition =
        readTableDefinition(database->file(), database->text(), entry->definitionPage);
    OwnedPages owned(database->file(), definition.ownedPages);
    std::vector<std::uint32_t> pages;
    std::vector<std::uint8_t> page;
    for (std::uint32_t number = 0; owned.next(number);) {
        database->file().read(number, page);
        std::uint32_t owner = 0;
        std::memcpy(&owner, page.data() + 4, 4);
        if (page[0] == page_type::kData && owner == entry->definitionPage) pages.push_back(number);
    }
    return pages;
}

// The page holding the value of `column` in the first row that keeps it on another page.
std::uint32_t longValuePageOf(const fs::path& file, const std::string& table,
                              const std::string& column) {
    constexpr std::uint32_t kKeptInTheRow = 0x80000000;
    const auto database = AccessDatabase::open(file.string(), "");
    const TableDefinition definition = readTableDefinition(
        database->file(), database->text(), database->catalogue().find(table)->definitionPage);
    std::size_t at = 0;
    while (definition.columns[at].name != column) ++at;
    RowScanner rows(database->file(), definition);
    const RowLayout layout(database->file().format(), definition);
    std::vector<Field> fields;
    while (rows.next()) {
        layout.split(rows.row(), fields);
        const Field& field = fields[at];
        if (field.present && (field.bytes.u32(0) & kKeptInTheRow) == 0) return field.bytes.u24(5);
    }
    return 0;
}

std::map<std::uint32_t, std::string> definitionPages(const fs::path& file) {
    std::map<std::uint32_t, std::string> pages;
    const auto database = AccessDatabase::open(file.string(), "");
    for (const CatalogueEntry& e : database->catalogue().entries())
        if (e.tableType == "TABLE") pages[e.definitionPage] = e.name;
    return pages;
}

// Every row the damaged table gives equals the original's row at its place, no place is
// both given and lost, and the rows given and lost add up to the original's.
void expectSalvaged(const TableContents& original, const TableContents& damaged,
                    const std::string& table) {
    SCOPED_TRACE(table);
    ASSERT_TRUE(damaged.error.empty()) << damaged.error;
    for (const auto& [place, row] : damaged.rows)
        EXPECT_TRUE(isOriginalRow(original, damaged, place, row)) << "row " << place;
    for (const db::LostRows& loss : damaged.lost) {
        EXPECT_FALSE(loss.reason.empty());
        for (std::int64_t place = loss.first; place < loss.first + loss.count; ++place)
            EXPECT_EQ(damaged.rows.count(place), 0u) << "row " << place << " given and lost";
    }
    EXPECT_TRUE(damaged.lostCountKnown());
    EXPECT_EQ(static_cast<std::int64_t>(damaged.rows.size()) + damaged.lostCount(),
              static_cast<std::int64_t>(original.rows.size()));
    EXPECT_EQ(damaged.rowCount, original.rowCount);
}

class Salvage : public ::testing::Test {
  protected:
    void SetUp() override {
        root = corpusRoot();
        if (!root && test::corpusRequired()) FAIL() << "corpus missing: access";
        if (!root) GTEST_SKIP() << "corpus not on this machine";
    }
    fs::path corpusFile(const char* name) { return *root / "access" / name; }
    fs::path damagedCopy(const std::vector<char>& bytes, const fs::path& original) {
        const fs::path file = folder.path() / original.filename();
        writeFile(file, bytes);
        return file;
    }

    std::optional<fs::path> root;
    ScratchFolder folder;
};

TEST_F(Salvage, OneBadDataPageLosesItsRowsAndNoOthers) {
    const fs::path file = corpusFile("generated/alltypes_2k_v2000.mdb");
    const TableContents original = readDatabase(file).tables.at("AllTypes");
    const std::vector<std::uint32_t> pages = dataPagesOf(file, "AllTypes");
    ASSERT_GE(pages.size(), 3u);
    std::vector<char> bytes = contentsOf(file);
    // Its row table is overwritten.
    for (std::size_t at = 14; at < 64; ++at)
        bytes[pages[1] * 4096 + at] = static_cast<char>(at * 37);
    const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("AllTypes");
    expectSalvaged(original, damaged, "AllTypes");
    ASSERT_EQ(damaged.lost.size(), 1u);
    EXPECT_GT(damaged.lost[0].first, 0);
    EXPECT_GT(damaged.lost[0].count, 0);
    EXPECT_EQ(damaged.lost[0].reason.rfind("data page " + std::to_string(pages[1]), 0), 0u)
        << damaged.lost[0].reason;
}

// A data page whose owner field is damaged (it names no table definition) is still the
// table's when its usage map names it and every row on it proves its bounds: all rows
// arrive. An owner field naming another table's definition is that table's claim: the
// page is left out and its rows are lost, as before.
TEST_F(Salvage, DataPageWithADamagedOwnerIsReadWhenItsRowsProveTheTable) {
    const fs::path file = corpusFile("generated/alltypes_2k_v2000.mdb");
    const TableContents original = readDatabase(file).tables.at("AllTypes");
    const std::vector<std::uint32_t> pages = dataPagesOf(file, "AllTypes");
    ASSERT_GE(pages.size(), 3u);
    const std::uint32_t other = 2;  // the catalogue's own definition
    for (const std::uint32_t owner : {0x00F1E2D3u, other}) {
        SCOPED_TRACE(owner);
        std::vector<char> bytes = contentsOf(file);
        std::memcpy(&bytes[pages[1] * 4096 + 4], &owner, 4);
        const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("AllTypes");
        expectSalvaged(original, damaged, "AllTypes");
        EXPECT_EQ(damaged.lost.empty(), owner != other);
    }
}

// Rows that grew were moved by Access to other pages, leaving a pointer in their place.
// With the page of those pointers lost, the moved rows still arrive, after the table's
// last place (theirs is lost), and the loss counts only the others.
TEST_F(Salvage, MovedRowsOfALostPageArriveAfterTheLastRow) {
    const fs::path file = corpusFile("jackcess/src/test/data/V2003/overflowTestV2003.mdb");
    const TableContents original = readDatabase(file).tables.at("Table1");
    const std::vector<std::uint32_t> pages = dataPagesOf(file, "Table1");
    ASSERT_FALSE(pages.empty());
    std::vector<char> bytes = contentsOf(file);
    std::fill_n(bytes.begin() + pages[0] * 4096, 4096, '\0');  // the page of every row's place
    const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("Table1");
    expectSalvaged(original, damaged, "Table1");
    ASSERT_EQ(damaged.lost.size(), 1u);
    EXPECT_EQ(damaged.lost[0].first, 0);
    EXPECT_EQ(damaged.lost[0].count, 5);
    EXPECT_EQ(damaged.lost[0].movedRowsFound, 2);
    ASSERT_EQ(damaged.rows.size(), 2u);
    EXPECT_EQ(damaged.rows.begin()->first, original.rowCount);
}

// The first two slots of a page's row table damaged, as a bit error leaves them: the first
// gets flag bits and points below the rows, the second into the fourth row. The first three
// rows are lost; the fourth, whose end the row table no longer vouches for, is read all the
// same: its own bytes (a table row's offsets, a long value's length) prove its bounds.
TEST_F(Salvage, RowsAfterDamagedSlotsAreReadWhereTheirBytesProveTheirBounds) {
    const fs::path file = corpusFile("generated/alltypes_2k_v2000.mdb");
    const TableContents original = readDatabase(file).tables.at("AllTypes");
    const std::vector<std::uint32_t> tablePages = dataPagesOf(file, "AllTypes");
    ASSERT_GE(tablePages.size(), 2u);
    const std::uint32_t longValuePage = longValuePageOf(file, "AllTypes", "MemoCol");
    ASSERT_NE(longValuePage, 0u);
    for (const std::uint32_t page : {tablePages[1], longValuePage}) {
        SCOPED_TRACE("page " + std::to_string(page));
        std::vector<char> bytes = contentsOf(file);
        char* slots = &bytes[page * 4096 + 14];
        const auto slot = [&](int i) -> std::uint16_t {
            return static_cast<std::uint8_t>(slots[2 * i]) |
                   static_cast<std::uint8_t>(slots[2 * i + 1]) << 8;
        };
        const auto set = [&](int i, std::uint16_t value) {
            slots[2 * i] = static_cast<char>(value & 0xff);
            slots[2 * i + 1] = static_cast<char>(value >> 8);
        };
        const int count = static_cast<std::uint8_t>(bytes[page * 4096 + 12]);
        ASSERT_GE(count, 4);
        ASSERT_GT(slot(count - 1), 14 + 2 * count + 0x10);
        set(0, 0x4000 | (slot(count - 1) - 0x10));
        set(1, slot(2) - 0x12);
        const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("AllTypes");
        expectSalvaged(original, damaged, "AllTypes");
        EXPECT_EQ(damaged.lostCount(), 3);
    }
}

TEST_F(Salvage, OneBadLongValuePageLosesTheRowsWhoseValuesItHeld) {
    const fs::path file = corpusFile("generated/alltypes_2k_v2000.mdb");
    const TableContents original = readDatabase(file).tables.at("AllTypes");
    std::vector<char> bytes = contentsOf(file);
    const std::uint32_t page = longValuePageOf(file, "AllTypes", "MemoCol");
    ASSERT_NE(page, 0u);
    std::memset(&bytes[page * 4096], 0, 4096);
    const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("AllTypes");
    expectSalvaged(original, damaged, "AllTypes");
    ASSERT_FALSE(damaged.lost.empty());
    for (const db::LostRows& loss : damaged.lost)
        EXPECT_NE(loss.reason.find("column 'MemoCol': a memo or OLE value points to page " +
                                   std::to_string(page)),
                  std::string::npos)
            << loss.reason;
}

TEST_F(Salvage, TablesOfADamagedCatalogueAreFoundFromTheirDefinitions) {
    const fs::path file = corpusFile("generated/names_50tables_v2010.accdb");
    const DatabaseContents original = readDatabase(file);
    const auto pages = definitionPages(file);
    ASSERT_EQ(pages.size(), original.tables.size());
    std::vector<char> bytes = contentsOf(file);

    // The catalogue's definition is gone: no name can be read, every table is found.
    std::vector<char> noDefinition = bytes;
    std::memset(&noDefinition[2 * 4096], 0, 4096);
    const DatabaseContents found = readDatabase(damagedCopy(noDefinition, file));
    EXPECT_FALSE(found.damage.catalogue.empty());
    std::set<std::string> expected;
    for (const auto& [page, name] : pages) {
        const std::string recovered = "Recovered_" + std::to_string(page);
        expected.insert(recovered);
        ASSERT_EQ(found.tables.count(recovered), 1u) << name;
        expectSalvaged(original.tables.at(name), found.tables.at(recovered), name);
    }
    EXPECT_EQ(std::set<std::string>(found.damage.recoveredTables.begin(),
                                    found.damage.recoveredTables.end()),
              expected);
    EXPECT_EQ(found.tables.size(), expected.size());  // and none of Access's own tables

    // One of the catalogue's pages is damaged: the names on the others are kept.
    const std::vector<std::uint32_t> cataloguePages = dataPagesOf(file, "MSysObjects");
    ASSERT_GE(cataloguePages.size(), 2u);
    std::vector<char> onePage = bytes;
    onePage[cataloguePages.back() * 4096 + 12] = onePage[cataloguePages.back() * 4096 + 13] =
        '\xff';
    const DatabaseContents partly = readDatabase(damagedCopy(onePage, file));
    EXPECT_NE(partly.damage.catalogue.find("is damaged"), std::string::npos);
    EXPECT_FALSE(partly.damage.recoveredTables.empty());
    std::size_t named = 0;
    for (const auto& [page, name] : pages) {
        const std::string recovered = "Recovered_" + std::to_string(page);
        const bool keptName = partly.tables.count(name) > 0;
        named += keptName;
        ASSERT_NE(keptName, partly.tables.count(recovered) > 0) << name;
        expectSalvaged(original.tables.at(name), partly.tables.at(keptName ? name : recovered),
                       name);
    }
    EXPECT_GT(named, 0u);
    EXPECT_EQ(partly.tables.size(), pages.size());
}

TEST_F(Salvage, FileCutAtHalfGivesTheRowsOfThePagesItStillHas) {
    const fs::path file = corpusFile("generated/alltypes_2k_v2000.mdb");
    const TableContents original = readDatabase(file).tables.at("AllTypes");
    std::vector<char> bytes = contentsOf(file);
    const std::size_t pages = bytes.size() / 4096;
    bytes.resize(bytes.size() / 2 + 1000);  // a part of a page is no page
    const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("AllTypes");
    expectSalvaged(original, damaged, "AllTypes");
    EXPECT_GT(damaged.rows.size(), 0u);
    std::int64_t missing = 0;
    for (const db::LostRows& loss : damaged.lost) missing += loss.pagesMissing;
    EXPECT_GT(missing, 0);
    EXPECT_LE(missing, static_cast<std::int64_t>(pages - bytes.size() / 4096));
    ASSERT_FALSE(damaged.lost.empty());
    EXPECT_NE(damaged.lost.back().reason.find("data pages lie past the end of the file"),
              std::string::npos)
        << damaged.lost.back().reason;
}

// A calculated field's result type is kept with the table's properties. Cut them off and
// every row still arrives with every other field exact; the calculated ones are named as
// left out, none guessed.
TEST_F(Salvage, CalculatedFieldsWhoseTypesAreLostAreLeftOutOfRowsThatStillArrive) {
    const fs::path file = corpusFile("jackcess/src/test/data/V2010/calcFieldTestV2010.accdb");
    const TableContents original = readDatabase(file).tables.at("Table1");
    std::uint32_t propertiesPage = 0;
    {
        const auto database = AccessDatabase::open(file.string(), "");
        const std::vector<std::uint8_t>& field =
            database->catalogue().find("Table1")->propertiesField;
        ASSERT_GE(field.size(), 8u);
        propertiesPage = field[5] | field[6] << 8 | field[7] << 16;  // kept on another page
    }
    std::vector<char> bytes = contentsOf(file);
    ASSERT_LT(propertiesPage * 4096u, bytes.size());
    bytes.resize(propertiesPage * 4096u);
    const TableContents damaged = readDatabase(damagedCopy(bytes, file)).tables.at("Table1");
    expectSalvaged(original, damaged, "Table1");
    EXPECT_EQ(damaged.rows.size(), 4u);
    EXPECT_EQ(damaged.columns, (std::vector<std::string>{"ID", "FirstName", "LastName", "City",
                                                         "Salary", "Popularity"}));
    EXPECT_EQ(damaged.lostColumns.names.size(), 11u);
    EXPECT_EQ(damaged.lostColumns.names.front(), "LastFirst");
    EXPECT_NE(damaged.lostColumns.reason.find("calculated fields cannot be read (page " +
                                              std::to_string(propertiesPage)),
              std::string::npos)
        << damaged.lostColumns.reason;
}

}  // namespace
}  // namespace velmora::access::testing

// Secondary indexes: the desktop engine's own index files rebuilt from their tables by
// our writer and compared with the originals; indexes kept current on later INSERTs;
// every row found through every index.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Recordset.h"
#include "paradox/ByteOrder.h"
#include "paradox/HeaderLayout.h"
#include "paradox/KeyedLookup.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/TableCheck.h"
#include "paradox/TableHeader.h"
#include "paradox/ValueDecoder.h"
#include "tests/paradox/ParadoxTestSupport.h"
#include "tests/support/Corpus.h"

using namespace velmora;
using namespace velmora::paradox::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The header bytes of an index file that depend on the table and the index alone; the
// rest (in-memory pointers, change counters, time stamps, the name the file had when the
// engine wrote it) differ from one writing to the next.
std::vector<std::pair<int, int>> deterministicHeader(const std::vector<std::uint8_t>& file) {
    const bool data = paradox::isSecondaryIndexData(file[paradox::hdr::kFileType]);
    const int fields = paradox::getLe16(file.data() + paradox::hdr::kFieldCount);
    const int fieldTable = data ? paradox::hdr::kFieldTableV4 : paradox::hdr::kFieldTableV3;
    std::vector<std::pair<int, int>> ranges = {
        {0x00, 0x12},  // record and header size, file type, block size, counts, blocks
        {0x14, 0x16},  // rebuild flag, the (first) indexed field's number
        {0x1E, 0x2A},  // root, levels, field count, key fields, encryption, sort order
        {0x38, 0x3C},  // level, blocks
        {0x4D, 0x58},  // header size in use, direction
        {fieldTable, fieldTable + 2 * fields},
    };
    if (data) {
        ranges.push_back({0x58, 0x60});  // version words, encryption
        ranges.push_back({0x64, 0x78});  // field ids, code page
    }
    return ranges;
}

struct Comparison {
    std::vector<int> headerDifferences;  // deterministic header bytes that differ
    std::size_t dataBytes = 0;           // compared bytes after the header
    std::size_t dataDifferences = 0;
};

Comparison compareFiles(const std::vector<std::uint8_t>& ours,
                        const std::vector<std::uint8_t>& theirs) {
    Comparison c;
    for (const auto& [from, to] : deterministicHeader(theirs))
        for (int i = from; i < to; ++i)
            if (ours.at(static_cast<std::size_t>(i)) != theirs.at(static_cast<std::size_t>(i)))
                c.headerDifferences.push_back(i);
    const std::size_t header = paradox::declaredHeaderSize(theirs.data());
    c.dataBytes = theirs.size() - header;
    if (ours.size() != theirs.size()) {
        c.dataDifferences = c.dataBytes;
        return c;
    }
    for (std::size_t i = header; i < theirs.size(); ++i) c.dataDifferences += ours[i] != theirs[i];
    return c;
}

// The CREATE INDEX statement that makes the index a desktop-engine data file describes.
std::string createStatementFor(const fs::path& dataFile, const paradox::TableInfo& table,
                               const std::string& tableName) {
    const std::vector<std::uint8_t> bytes = bytesOf(dataFile);
    const paradox::TableInfo data =
        paradox::parseIndexDataHeader(bytes.data(), bytes.size(), dataFile.filename().string());
    std::string columns;
    bool caseInsensitive = false;
    for (int i = 0; i < data.keyFields - table.keyFields; ++i) {
        const auto number = data.fieldNumbers[static_cast<std::size_t>(i)];
        caseInsensitive = caseInsensitive || (number & paradox::hdr::kCaseInsensitiveField);
        columns += (i ? ", \"" : "\"") +
                   table.fields[(number & ~paradox::hdr::kCaseInsensitiveField) - 1u].name + '"';
    }
    return std::string("CREATE ") + (data.descending ? "DESC " : "") + "INDEX \"" +
           paradox::secondaryIndexName(table, data) + "\" ON \"" + tableName + "\" (" + columns +
           ")" + (caseInsensitive ? " CASE INSENSITIVE" : "");
}

paradox::TableInfo tableInfoOf(const fs::path& db) {
    const std::vector<std::uint8_t> bytes = bytesOf(db);
    return paradox::parseTableHeader(bytes.data(), bytes.size(), db.filename().string());
}

struct CorpusIndex {
    const char* folder;
    const char* table;
    const char* data;
    const char* index;
};

// Every desktop-engine index of a keyed table in the corpus.
const CorpusIndex kCorpusIndexes[] = {
    {"db", "CUSTOMER.DB", "CUSTOMER.X06", "CUSTOMER.Y06"},
    {"db", "AREACODES.DB", "AREACODES.XG0", "AREACODES.YG0"},
    {"joins", "C.DB", "C.X02", "C.Y02"},
    {"joins", "C.DB", "C.X03", "C.Y03"},
    {"joins", "fk1.db", "fk1.x02", "fk1.y02"},
    {"joins", "fk2.db", "fk2.x02", "fk2.y02"},
    {"joins", "fk3.db", "fk3.x03", "fk3.y03"},
    {"joins", "fk4.db", "fk4.XG0", "fk4.YG0"},
    {"joins", "multiple.db", "multiple.X02", "multiple.Y02"},
    {"joins", "multiple.db", "multiple.X04", "multiple.Y04"},
    {"joins", "to_multiple.db", "to_multiple.X02", "to_multiple.Y02"},
};

}  // namespace

TEST(SecondaryIndexes, CorpusIndexesRebuiltFromTheirTablesMatchTheDesktopEngines) {
    VELMORA_CORPUS_FOLDER(root, "paradox");
    for (const CorpusIndex& c : kCorpusIndexes) {
        SCOPED_TRACE(c.data);
        const fs::path source = *root / "paradoxdriver-tests" / c.folder;
        ScratchFolder folder;
        copyFromCorpus(source, c.table, folder.path());
        fs::remove(folder.path() / c.data);
        fs::remove(folder.path() / c.index);
        const std::string table = fs::path(c.table).stem().string();
        const std::string statement =
            createStatementFor(source / c.data, tableInfoOf(source / c.table), table);
        Target target(folder.path());
        target.run(statement);

        // Our files take the desktop engine's names (upper-case extensions).
        const fs::path ourData = folder.path() / (table + fs::path(c.data).extension().string());
        std::string indexExtension = fs::path(c.data).extension().string();
        indexExtension[1] = 'Y';
        for (char& ch : indexExtension) ch = static_cast<char>(std::toupper(ch));
        std::string dataExtension = fs::path(c.data).extension().string();
        for (char& ch : dataExtension) ch = static_cast<char>(std::toupper(ch));
        const auto data = compareFiles(bytesOf(folder.path() / (table + dataExtension)),
                                       bytesOf(source / c.data));
        const auto index = compareFiles(bytesOf(folder.path() / (table + indexExtension)),
                                        bytesOf(source / c.index));
        EXPECT_TRUE(data.headerDifferences.empty())
            << statement << ": data header byte 0x" << std::hex
            << (data.headerDifferences.empty() ? 0 : data.headerDifferences.front());
        EXPECT_TRUE(index.headerDifferences.empty())
            << statement << ": index header byte 0x" << std::hex
            << (index.headerDifferences.empty() ? 0 : index.headerDifferences.front());
        // Field names, numbers, the sort order and index names, as the headers spell them.
        const auto ours = bytesOf(folder.path() / (table + dataExtension));
        const auto theirs = bytesOf(source / c.data);
        const auto ourInfo = paradox::parseIndexDataHeader(ours.data(), ours.size(), "ours");
        const auto theirInfo =
            paradox::parseIndexDataHeader(theirs.data(), theirs.size(), "theirs");
        for (std::size_t f = 0; f < theirInfo.fields.size(); ++f)
            EXPECT_EQ(ourInfo.fields.at(f).name, theirInfo.fields[f].name);
        EXPECT_EQ(ourInfo.fieldNumbers, theirInfo.fieldNumbers);
        EXPECT_EQ(ourInfo.sortOrderName, theirInfo.sortOrderName);
        EXPECT_EQ(ourInfo.indexName, theirInfo.indexName);
        EXPECT_EQ(data.dataDifferences, 0u) << statement << " (of " << data.dataBytes << ")";
        EXPECT_EQ(index.dataDifferences, 0u) << statement << " (of " << index.dataBytes << ")";
    }
}

namespace {

// The CHECK INDEX answer: rows of the table, rows found through the index, first missing.
std::tuple<std::int64_t, std::int64_t, std::string> checked(Target& target,
                                                            const std::string& index,
                                                            const std::string& table) {
    db::Recordset rs;
    rs.open("CHECK INDEX \"" + index + "\" ON \"" + table + "\"", target.connection);
    return {rs.fields().item("ROWS").value().asInt(), rs.fields().item("FOUND").value().asInt(),
            rs.fields().item("FIRST_MISSING").value().asText()};
}

void expectEveryRowFound(Target& target, const std::string& table,
                         const std::vector<std::string>& indexes) {
    for (const std::string& index : indexes) {
        const auto [rows, found, missing] = checked(target, index, table);
        EXPECT_EQ(found, rows) << index << ": " << missing;
        EXPECT_EQ(missing, "") << index;
        EXPECT_EQ(rows, target.count(table)) << index;
    }
}

}  // namespace

TEST(SecondaryIndexes, KeptCurrentOnEveryInsertAndEveryRowFoundThroughEachIndex) {
    ScratchFolder folder;
    Target target(folder.path());
    target.run(R"(CREATE TABLE "T"("K" INT, "Name" TEXT(30), "City" TEXT(12), "N" INT) LEVEL 7)");
    target.run(R"(CREATE INDEX "T" ON "T" ("K") WITH PRIMARY)");
    const char* names[] = {"apple", "Banana", "cherry", "Apple", "banana"};
    for (int k = 0; k < 50; ++k)
        target.run("INSERT INTO \"T\" VALUES (" + std::to_string(k * 7 % 50) + ", '" +
                   names[k % 5] + "', 'c" + std::to_string(k % 3) + "', " + std::to_string(k % 4) +
                   ")");
    // Built in one pass over the rows, then kept on the inserts that follow.
    target.run(R"(CREATE INDEX "N" ON "T" ("N"))");
    target.run(R"(CREATE INDEX "byName" ON "T" ("Name", "City") CASE INSENSITIVE)");
    target.run(R"(CREATE DESC INDEX "newest" ON "T" ("N"))");
    for (int k = 0; k < 3000; ++k)  // keys out of order: blocks of the table split
        target.run("INSERT INTO \"T\" VALUES (" + std::to_string(100 + (k * 7919) % 3000) + ", '" +
                   names[k % 5] + std::to_string(k % 97) + "', 'city', " + std::to_string(k % 11) +
                   ")");
    for (const char* file : {"T.X04", "T.Y04", "T.XG0", "T.YG0", "T.XG1", "T.YG1"})
        EXPECT_TRUE(fs::exists(folder.path() / file)) << file;
    expectEveryRowFound(target, "T", {"T", "N", "byName", "newest"});
    const auto problems = paradox::checkTable(folder.path(), "T");
    EXPECT_TRUE(problems.empty()) << problems.front();

    // The INDEXES rowset lists them as the Access provider lists its own.
    std::vector<std::string> listed;
    for (auto rs = target.connection.openSchema(db::ado::adSchemaIndexes, "t"); !rs->eof();
         rs->moveNext())
        listed.push_back(rs->fields().item("INDEX_NAME").value().asText() + ":" +
                         rs->fields().item("COLUMN_NAME").value().asText() + ":" +
                         std::to_string(rs->fields().item("COLLATION").value().asInt()));
    EXPECT_EQ(listed, (std::vector<std::string>{"T:K:1", "N:N:1", "byName:Name:1", "byName:City:1",
                                                "newest:N:2"}));

    // Case-insensitive entries: apple, Apple and their neighbours sort together, by key
    // after that; the descending index runs from the highest N down.
    const auto inIndexOrder = [&](const char* data, const char* index, int field) {
        const paradox::KeyedLookup entries(folder.path() / data, folder.path() / index, true, data);
        std::vector<db::Value> values;
        entries.forEach([&](const std::uint8_t* entry, std::uint16_t) {
            values.push_back(paradox::decodeFixedField(
                entry, entries.info().fields[static_cast<std::size_t>(field)], 1252));
        });
        return values;
    };
    const auto upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    const auto byName = inIndexOrder("T.XG0", "T.YG0", 0);
    ASSERT_EQ(byName.size(), 3050u);
    bool binaryOrder = true;
    for (std::size_t i = 1; i < byName.size(); ++i) {
        EXPECT_LE(upper(byName[i - 1].asText()), upper(byName[i].asText()));
        binaryOrder = binaryOrder && byName[i - 1].asText() <= byName[i].asText();
    }
    EXPECT_FALSE(binaryOrder);
    const auto newest = inIndexOrder("T.XG1", "T.YG1", 0);
    for (std::size_t i = 1; i < newest.size(); ++i)
        EXPECT_GE(newest[i - 1].asInt(), newest[i].asInt());

    db::Recordset first;
    first.open(R"(SELECT * FROM "T" WHERE "K" = 3)", target.connection);
    ASSERT_FALSE(first.eof());
    EXPECT_EQ(first.fields().item("Name").value().asText(), "banana");
    db::Recordset none;
    none.open(R"(SELECT * FROM "T" WHERE "K" = 99)", target.connection);
    EXPECT_TRUE(none.eof());
    EXPECT_NE(errorOf(target, R"(SELECT * FROM "T" WHERE "Name" = 'apple')")
                  .find("must give every field of the primary key"),
              std::string::npos);
}

TEST(SecondaryIndexes, DesktopIndexesKeptAnIndexLeftUnfinishedRebuiltAUniqueOneRefusesDuplicates) {
    VELMORA_CORPUS_FOLDER(root, "paradox");
    ScratchFolder folder;
    copyFromCorpus(*root / "paradoxdriver-tests" / "db", "CUSTOMER.DB", folder.path());
    copyFromCorpus(*root / "paradoxdriver-tests" / "db", "AREACODES.DB", folder.path());
    {
        Target target(folder.path());
        for (int i = 0; i < 40; ++i)  // five rows a block: the blocks split
            target.run("INSERT INTO CUSTOMER (CustNo, City) VALUES (" + std::to_string(100 - i) +
                       ", 'Town" + std::to_string(i % 7) + "')");
        target.run("INSERT INTO AREACODES VALUES ('2015', 'NJ', 'splits the first block')");
        expectEveryRowFound(target, "CUSTOMER", {"CUSTOMER", "City"});
        expectEveryRowFound(target, "AREACODES", {"AREACODES", "ste"});
    }
    // A writer stopped while it changed the index leaves it marked; the next writer
    // rebuilds it before its first row.
    {
        std::fstream x(folder.path() / "CUSTOMER.X06",
                       std::ios::in | std::ios::out | std::ios::binary);
        x.seekp(paradox::hdr::kRebuildNeeded);
        x.put(1);
        x.seekp(0x800 + 6 + 19);  // the first entry's block number
        x.put(static_cast<char>(0x80));
        x.put(9);
    }
    {
        Target target(folder.path());
        EXPECT_NE(std::get<1>(checked(target, "City", "CUSTOMER")), 60);
        target.run("INSERT INTO CUSTOMER (CustNo, City) VALUES (500, 'Aptos')");
        expectEveryRowFound(target, "CUSTOMER", {"CUSTOMER", "City"});
        EXPECT_EQ(bytesOf(folder.path() / "CUSTOMER.X06")[paradox::hdr::kRebuildNeeded], 0);

        // Two Los Gatos rows: a unique index on City is refused and leaves no file.
        const FolderBytes before = snapshot(folder.path());
        EXPECT_NE(errorOf(target, R"(CREATE UNIQUE INDEX "town" ON "CUSTOMER" ("City"))")
                      .find("has more than one row with \"City\" = 'Aptos'"),
                  std::string::npos);
        EXPECT_EQ(snapshot(folder.path()), before);
        target.run(R"(CREATE UNIQUE INDEX "mail" ON "CUSTOMER" ("EMail", "CustNo"))");
        expectEveryRowFound(target, "CUSTOMER", {"mail"});
    }
}

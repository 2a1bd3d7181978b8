// The keys of every corpus database that mdbtools reads, through the INDEXES schema
// rowset and the fields' AutoNumber kind, compared with what `mdb-schema --indexes`
// (mdbtools' own reader, MySQL dialect: it keeps index names) says about the same file.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <fstream>
#include <set>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

// Keys as one line each: "table|PRIMARY KEY|a, b", "table|UNIQUE INDEX name|a DESC".
struct Keys {
    std::set<std::string> indexes;
    std::set<std::string> autoNumbers;  // "table.column"
    int primaryKeys = 0;
    int otherIndexes = 0;
    int uniqueIndexes = 0;
};

Keys keysFromMdbSchema(const fs::path& file) {
    QProcess tool;
    tool.start("mdb-schema", {"--indexes", QString::fromStdString(file.string()), "mysql"});
    tool.waitForFinished(60000);
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split('\n');
    static const QRegularExpression createTable("^CREATE TABLE `(.*)`$");
    static const QRegularExpression autoColumn("^\\s+`(.*)`\\s+int not null auto_increment");
    static const QRegularExpression key(
        "^ALTER TABLE `(.*)` ADD (PRIMARY KEY|UNIQUE INDEX `.*`|INDEX `.*`) \\((.*)\\);$");
    Keys keys;
    QString table;
    for (const QString& line : lines) {
        if (const auto m = createTable.match(line); m.hasMatch()) table = m.captured(1);
        if (const auto m = autoColumn.match(line); m.hasMatch())
            keys.autoNumbers.insert((table + '.' + m.captured(1)).toStdString());
        if (const auto m = key.match(line); m.hasMatch()) {
            QString kind = m.captured(2);
            kind.remove('`');
            QString columns = m.captured(3);
            columns.remove('`');
            keys.indexes.insert((m.captured(1) + '|' + kind + '|' + columns).toStdString());
            if (kind == "PRIMARY KEY") {
                ++keys.primaryKeys;
            } else {
                ++keys.otherIndexes;
                if (kind.startsWith("UNIQUE")) ++keys.uniqueIndexes;
            }
        }
    }
    return keys;
}

Keys keysFromProvider(const fs::path& file) {
    db::Connection connection;
    connection.open(connectionStringFor(file));
    Keys keys;
    std::vector<std::string> tables;
    for (auto rows = connection.openSchema(db::ado::adSchemaTables); !rows->eof(); rows->moveNext())
        if (rows->fields().item("TABLE_TYPE").value().asText() == "TABLE")
            tables.push_back(rows->fields().item("TABLE_NAME").value().asText());
    for (const std::string& table : tables) {
        db::Recordset rows;
        rows.open("SELECT * FROM `" + table + "`", connection);
        for (int i = 0; i < rows.fields().count(); ++i)
            if (rows.fields()[i].autoNumber() == db::AutoNumber::Increment)
                keys.autoNumbers.insert(table + '.' + rows.fields()[i].name());
    }
    // The rowset of the whole database equals the rowsets of its tables one by one.
    std::vector<std::vector<std::string>> whole, byTable;
    const auto collect = [](db::Recordset& rows, std::vector<std::vector<std::string>>& into) {
        for (; !rows.eof(); rows.moveNext()) {
            const db::Fields& f = rows.fields();
            into.push_back(
                {f.item("TABLE_NAME").value().asText(), f.item("INDEX_NAME").value().asText(),
                 f.item("PRIMARY_KEY").value().asBool() ? "P" : "",
                 f.item("UNIQUE").value().asBool() ? "U" : "",
                 std::to_string(f.item("ORDINAL_POSITION").value().asInt()),
                 f.item("COLUMN_NAME").value().asText(),
                 f.item("COLLATION").value().asInt() == db::ado::adCollationDescending ? " DESC"
                                                                                       : ""});
        }
    };
    collect(*connection.openSchema(db::ado::adSchemaIndexes), whole);
    for (const std::string& table : tables)
        collect(*connection.openSchema(db::ado::adSchemaIndexes, table), byTable);
    EXPECT_EQ(whole, byTable) << file;

    std::string line;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const auto& r = whole[i];
        const bool primary = r[2] == "P";
        if (r[4] == "1")
            line = r[0] + '|' +
                   (primary ? std::string("PRIMARY KEY")
                            : (r[3] == "U" ? "UNIQUE " : "") + ("INDEX " + r[1])) +
                   '|';
        else
            line += ", ";
        // mdb-schema writes no DESC on primary key columns.
        line += r[5] + (primary ? "" : r[6]);
        if (i + 1 == whole.size() || whole[i + 1][4] == "1") {
            keys.indexes.insert(line);
            if (primary) {
                ++keys.primaryKeys;
            } else {
                ++keys.otherIndexes;
                if (r[3] == "U") ++keys.uniqueIndexes;
            }
        }
    }
    return keys;
}

// The unprotected corpus databases that mdbtools reads whole, as its manifest lists them.
std::vector<fs::path> filesMdbtoolsReads(const fs::path& access) {
    std::ifstream manifest(access / "MANIFEST.tsv");
    std::vector<fs::path> files;
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        const QStringList cells = QString::fromStdString(line).split('\t');
        if (cells.size() < 13 || !cells[11].isEmpty() || cells[12] != "yes" ||
            cells[0].endsWith(".xz"))
            continue;
        files.push_back(access / cells[0].toStdString());
    }
    return files;
}

TEST(AccessIndexes, EveryKeyOfTheCorpusAsMdbtoolsReadsIt) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    const auto files = filesMdbtoolsReads(*root / "access");
    ASSERT_GT(files.size(), 100u);
    int withPrimaryKeys = 0, primaryKeys = 0, withIndexes = 0, indexes = 0, unique = 0;
    int mdbtoolsEmpty = 0;
    for (const fs::path& file : files) {
        Keys theirs = keysFromMdbSchema(file);
        Keys ours = keysFromProvider(file);
        // mdbtools pairs an index with its key columns by the index's number instead of the
        // number of the columns' entry, and then lists it without columns: those it cannot
        // tell are compared by name only.
        for (auto it = theirs.indexes.begin(); it != theirs.indexes.end();) {
            if (it->back() != '|') {
                ++it;
                continue;
            }
            const std::string table = it->substr(0, it->find('|') + 1);
            std::string name = it->substr(table.size());
            name = name.substr(name.find(' ') == std::string::npos ? 0 : name.rfind(' ') + 1);
            const auto same =
                std::find_if(ours.indexes.begin(), ours.indexes.end(), [&](const std::string& o) {
                    return o.rfind(table, 0) == 0 &&
                           (name == "KEY|" ? o.find("|PRIMARY KEY|") != std::string::npos
                                           : o.find(" " + name) != std::string::npos);
                });
            EXPECT_NE(same, ours.indexes.end()) << file << ": " << *it;
            if (same != ours.indexes.end()) ours.indexes.erase(same);
            it = theirs.indexes.erase(it);
            ++mdbtoolsEmpty;
        }
        EXPECT_EQ(ours.indexes, theirs.indexes) << file;
        EXPECT_EQ(ours.autoNumbers, theirs.autoNumbers) << file;
        withPrimaryKeys += ours.primaryKeys > 0;
        primaryKeys += ours.primaryKeys;
        withIndexes += ours.otherIndexes > 0;
        indexes += ours.otherIndexes;
        unique += ours.uniqueIndexes;
    }
    std::printf(
        "primary keys in %d files (%d keys); other indexes in %d files (%d, %d unique); %d "
        "indexes mdbtools lists without columns\n",
        withPrimaryKeys, primaryKeys, withIndexes, indexes, unique, mdbtoolsEmpty);
    EXPECT_EQ(withPrimaryKeys, 67);  // the figures mdb-schema gives for the same files
    EXPECT_EQ(primaryKeys, 200);
    EXPECT_EQ(withIndexes, 58);
    EXPECT_EQ(indexes, 211);
    RecordProperty("primary_keys", primaryKeys);
    RecordProperty("other_indexes", indexes);
}

}  // namespace
}  // namespace velmora::access::testing

#include "tests/access/TableContents.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {

std::int64_t TableContents::lostCount() const {
    std::int64_t count = 0;
    for (const db::LostRows& loss : lost) count += loss.count;
    return count;
}

bool TableContents::lostCountKnown() const {
    for (const db::LostRows& loss : lost)
        if (!loss.countKnown) return false;
    return true;
}

DatabaseContents readDatabase(const std::filesystem::path& file) {
    DatabaseContents contents;
    db::Connection connection;
    connection.open(connectionStringFor(file));
    contents.damage = connection.damage();
    std::vector<std::string> names;
    auto schema = connection.openSchema(db::ado::adSchemaTables);
    for (; !schema->eof(); schema->moveNext())
        if (schema->fields().item("TABLE_TYPE").value().asText() == "TABLE")
            names.push_back(schema->fields().item("TABLE_NAME").value().asText());
    for (const std::string& name : names) {
        TableContents& table = contents.tables[name];
        db::Recordset rows;
        try {
            rows.open("SELECT * FROM `" + name + "`", connection);
        } catch (const db::DbError& e) {
            table.error = e.description();
            continue;
        }
        table.rowCount = rows.recordCount();
        for (int i = 0; i < rows.fields().count(); ++i)
            table.columns.push_back(rows.fields()[i].name());
        for (; !rows.eof(); rows.moveNext()) {
            std::vector<db::Value> row;
            for (int i = 0; i < rows.fields().count(); ++i) row.push_back(rows.fields()[i].value());
            table.rows.emplace(rows.rowNumber(), std::move(row));
        }
        table.lost = rows.lostRows();
        table.lostColumns = rows.lostColumns();
    }
    return contents;
}

std::vector<db::Value> valuesIn(const TableContents& table, const std::vector<db::Value>& row,
                                const std::vector<std::string>& columns) {
    if (columns == table.columns) return row;
    std::vector<db::Value> values;
    for (const std::string& name : columns) {
        const auto at = std::find(table.columns.begin(), table.columns.end(), name);
        if (at == table.columns.end()) return {};
        values.push_back(row[static_cast<std::size_t>(at - table.columns.begin())]);
    }
    return values;
}

bool isOriginalRow(const TableContents& original, const TableContents& damaged, std::int64_t place,
                   const std::vector<db::Value>& row) {
    const auto same = [&](const std::vector<db::Value>& whole) {
        return sameValues(valuesIn(original, whole, damaged.columns), row);
    };
    if (place < original.rowCount) {
        const auto at = original.rows.find(place);
        return at != original.rows.end() && same(at->second);
    }
    return std::any_of(original.rows.begin(), original.rows.end(),
                       [&](const auto& entry) { return same(entry.second); });
}

bool sameValues(const std::vector<db::Value>& a, const std::vector<db::Value>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind() != b[i].kind()) return false;
        if (a[i].kind() == db::ValueKind::Double) {
            const double x = a[i].asDouble(), y = b[i].asDouble();
            if (std::memcmp(&x, &y, sizeof x) != 0) return false;
        } else if (a[i].kind() == db::ValueKind::Single) {
            const float x = a[i].asSingle(), y = b[i].asSingle();
            if (std::memcmp(&x, &y, sizeof x) != 0) return false;
        } else if (!(a[i] == b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<char> contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& file, const std::vector<char>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velmora::access::testing

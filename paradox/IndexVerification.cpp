#include "paradox/IndexVerification.h"

#include <fcntl.h>
#include <unistd.h>

#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/KeyedLookup.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/TableReader.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace {

TableInfo readDataHeader(const std::filesystem::path& path) {
    const std::string label = path.filename().string();
    std::vector<std::uint8_t> header(0x2000);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : pread(fd, header.data(), header.size(), 0);
    if (fd >= 0) ::close(fd);
    if (got < 0) fail("The index " + inQuotes(label) + " cannot be read.");
    header.resize(static_cast<std::size_t>(got));
    return parseIndexDataHeader(header.data(), header.size(), label);
}

std::string keyText(const std::uint8_t* record, const TableInfo& info) {
    std::string text;
    for (int i = 0; i < info.keyFields; ++i) {
        const FieldInfo& field = info.fields[static_cast<std::size_t>(i)];
        if (i > 0) text += ", ";
        text += inQuotes(field.name) + " = " +
                displayText(decodeFixedField(record, field, info.codePage));
    }
    return text;
}

}  // namespace

std::vector<IndexDescription> describeIndexes(const TableFiles& table) {
    const TableInfo info = TableReader::infoOf(table);
    std::vector<IndexDescription> out;
    if (info.keyed()) {
        IndexDescription primary;
        primary.name = table.name;
        primary.primary = true;
        for (int i = 0; i < info.keyFields; ++i)
            primary.fields.push_back(info.fields[static_cast<std::size_t>(i)].name);
        out.push_back(primary);
    }
    for (const SecondaryFiles& files : secondaryIndexFiles(table)) {
        const TableInfo data = readDataHeader(files.data);
        IndexDescription index;
        index.name = secondaryIndexName(info, data);
        index.maintained = data.fileType == hdr::kFileTypeSingleDataMaintained ||
                           data.fileType == hdr::kFileTypeCompositeDataMaintained;
        index.descending = data.descending;
        const int indexFields = data.keyFields - info.keyFields;
        for (int i = 0; i < indexFields && i < static_cast<int>(data.fieldNumbers.size()); ++i) {
            const int position =
                (data.fieldNumbers[static_cast<std::size_t>(i)] & ~hdr::kCaseInsensitiveField) - 1;
            if ((data.fieldNumbers[static_cast<std::size_t>(i)] & hdr::kCaseInsensitiveField) != 0)
                index.caseInsensitive = true;
            if (position >= 0 && position < static_cast<int>(info.fields.size()))
                index.fields.push_back(info.fields[static_cast<std::size_t>(position)].name);
        }
        out.push_back(index);
    }
    return out;
}

IndexCheck checkIndex(const TableFiles& table, const std::string& name) {
    IndexCheck check;
    check.name = name;
    const KeyedLookup rows(table.db, table.px, false, table.name);
    KeyedLookup::InOrderSearch search(rows);
    const TableInfo& info = rows.info();
    if (sameNameIgnoringCase(name, table.name)) {
        rows.forEach([&](const std::uint8_t* record, std::uint16_t) {
            ++check.rows;
            if (search.find(record) == record)
                ++check.found;
            else if (check.firstMissing.empty())
                check.firstMissing = keyText(record, info);
        });
        return check;
    }
    for (const SecondaryFiles& files : secondaryIndexFiles(table)) {
        const TableInfo data = readDataHeader(files.data);
        if (!sameNameIgnoringCase(secondaryIndexName(info, data), name)) continue;
        const std::string label = files.data.filename().string();
        const KeyedLookup entries(files.data, files.index, true, label);
        KeyedLookup::InOrderSearch search(entries);
        const EntryLayout layout(info, entries.info(), label);
        std::vector<std::uint8_t> entry(static_cast<std::size_t>(layout.size()));
        rows.forEach([&](const std::uint8_t* record, std::uint16_t block) {
            ++check.rows;
            layout.build(record, block, entry.data());
            const std::uint8_t* stored = search.find(entry.data());
            if (stored != nullptr && layout.blockOf(stored) == block)
                ++check.found;
            else if (check.firstMissing.empty())
                check.firstMissing = keyText(record, info);
        });
        if (entries.recordCount() != check.rows && check.firstMissing.empty())
            check.firstMissing = "the index holds " + std::to_string(entries.recordCount()) +
                                 " entries for " + std::to_string(check.rows) + " rows";
        return check;
    }
    fail("The table " + inQuotes(table.name) + " has no index named " + inQuotes(name) + ".");
}

}  // namespace velmora::paradox

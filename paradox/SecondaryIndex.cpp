#include "paradox/SecondaryIndex.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/HeaderWriter.h"
#include "paradox/KeyOrder.h"
#include "paradox/TableReader.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBlockNumberField = "Blk Num";

bool isSingle(int fileType) {
    return fileType == hdr::kFileTypeSingleData || fileType == hdr::kFileTypeSingleDataMaintained;
}

bool sameField(const FieldInfo& a, const FieldInfo& b) {
    return a.type == b.type && a.length == b.length;
}

[[noreturn]] void notThisTable(const std::string& label) {
    fail("The secondary index " + inQuotes(label) +
         " does not match its table's fields; rebuild the index.");
}

// "X06" or "XG0" and the like: the extension's kind and its hex part.
bool isDataExtension(std::string_view ext) {
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'x')) {
        if (ext[1] == 'G' || ext[1] == 'g') return hex(ext[2]);
        return hex(ext[1]) && hex(ext[2]);
    }
    return false;
}

fs::path findFile(const fs::path& folder, const std::string& fileName) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (sameNameIgnoringCase(entry.path().filename().string(), fileName) &&
            entry.is_regular_file(ec))
            return entry.path();
    return {};
}

std::vector<std::uint8_t> readHeader(const fs::path& path, const std::string& label) {
    std::vector<std::uint8_t> header(0x800);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failSystem("Reading the index " + inQuotes(label), errno);
    ssize_t got = pread(fd, header.data(), header.size(), 0);
    if (got >= 4 && declaredHeaderSize(header.data()) > static_cast<int>(header.size())) {
        header.resize(static_cast<std::size_t>(declaredHeaderSize(header.data())));
        got = pread(fd, header.data(), header.size(), 0);
    }
    ::close(fd);
    header.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return header;
}

struct IndexEntry {
    const std::uint8_t* key;  // the first data file entry under it
    std::uint16_t child;
    std::uint16_t count;
};

void putEntryNumber(std::uint8_t* p, std::uint16_t value) {
    putBe16(p, static_cast<std::uint16_t>(value ^ 0x8000u));
}

void unlinkQuietly(const fs::path& path) {
    ::unlink(path.c_str());
}

std::string describeEntry(const std::uint8_t* entry, const TableInfo& data, int fields) {
    std::string text;
    for (int i = 0; i < fields; ++i) {
        const FieldInfo& field = data.fields[static_cast<std::size_t>(i)];
        if (i > 0) text += ", ";
        text += inQuotes(field.name) + " = " +
                displayText(decodeFixedField(entry, field, data.codePage));
    }
    return text;
}

}  // namespace

EntryLayout::EntryLayout(const TableInfo& table, const TableInfo& data, const std::string& label) {
    const int keyFields = table.keyFields;
    indexFields_ = data.keyFields - keyFields;
    if (keyFields < 1 || indexFields_ < 1 ||
        data.fields.size() != static_cast<std::size_t>(data.keyFields) + 1 ||
        data.fieldNumbers.size() != data.fields.size())
        notThisTable(label);
    for (int i = 0; i < data.keyFields; ++i) {
        const FieldInfo& entryField = data.fields[static_cast<std::size_t>(i)];
        int position = i - indexFields_;  // the table's key fields follow the index fields
        if (i < indexFields_) {
            position =
                (data.fieldNumbers[static_cast<std::size_t>(i)] & ~hdr::kCaseInsensitiveField) - 1;
            tableFields_.push_back(position);
        }
        if (position < 0 || position >= static_cast<int>(table.fields.size()) ||
            !sameField(table.fields[static_cast<std::size_t>(position)], entryField))
            notThisTable(label);
        copies_.push_back({table.fields[static_cast<std::size_t>(position)].offset,
                           entryField.offset, entryField.length});
    }
    const FieldInfo& block = data.fields.back();
    if (block.type != FieldType::Short) notThisTable(label);
    blockAt_ = block.offset;
    size_ = data.recordSize;
}

void EntryLayout::build(const std::uint8_t* record, std::uint16_t block,
                        std::uint8_t* entry) const {
    for (const Copy& c : copies_)
        std::memcpy(entry + c.to, record + c.from, static_cast<std::size_t>(c.length));
    setBlock(entry, block);
}

void EntryLayout::setBlock(std::uint8_t* entry, std::uint16_t block) const {
    putEntryNumber(entry + blockAt_, block);
}

std::uint16_t EntryLayout::blockOf(const std::uint8_t* entry) const {
    return static_cast<std::uint16_t>(getBe16(entry + blockAt_) ^ 0x8000u);
}

bool EntryLayout::hasBlankField(const std::uint8_t* entry) const {
    for (int i = 0; i < indexFields_; ++i) {
        const Copy& c = copies_[static_cast<std::size_t>(i)];
        const std::uint8_t* p = entry + c.to;
        if (std::all_of(p, p + c.length, [](std::uint8_t b) { return b == 0; })) return true;
    }
    return false;
}

std::vector<SecondaryFiles> secondaryIndexFiles(const TableFiles& table) {
    std::vector<SecondaryFiles> found;
    if (table.db.empty()) return found;
    const fs::path folder = table.db.parent_path();
    const std::string stem = table.db.stem().string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        std::string ext = p.extension().string();
        if (ext.empty() || !sameNameIgnoringCase(p.stem().string(), stem)) continue;
        ext.erase(0, 1);
        if (!isDataExtension(ext) || !entry.is_regular_file(ec)) continue;
        std::string indexExt = ext;
        indexExt[0] = ext[0] == 'x' ? 'y' : 'Y';
        found.push_back({p, findFile(folder, stem + "." + indexExt)});
    }
    std::sort(found.begin(), found.end(),
              [](const SecondaryFiles& a, const SecondaryFiles& b) { return a.data < b.data; });
    return found;
}

TableInfo secondaryDataInfo(const TableInfo& table, const SecondaryIndexDefinition& definition) {
    TableInfo data;
    const FieldInfo& first = table.fields[static_cast<std::size_t>(definition.fields.front())];
    const bool single = definition.fields.size() == 1 && !definition.caseInsensitive &&
                        !definition.descending && sameNameIgnoringCase(definition.name, first.name);
    data.fileType = static_cast<std::uint8_t>(single ? hdr::kFileTypeSingleDataMaintained
                                                     : hdr::kFileTypeCompositeDataMaintained);
    data.version = table.version;
    data.blockSize = table.blockSize;
    data.codePage = table.codePage;
    data.sortOrder = table.sortOrder;
    data.sortOrderName = table.sortOrderName;
    data.indexName = single ? std::string() : definition.name;
    data.descending = definition.descending;
    const auto add = [&data](const FieldInfo& field, std::uint16_t number) {
        FieldInfo f = field;
        f.offset = data.recordSize;
        data.recordSize += f.length;
        data.fields.push_back(f);
        data.fieldNumbers.push_back(number);
    };
    for (const int position : definition.fields) {
        const auto number = static_cast<std::uint16_t>(position + 1);
        add(table.fields[static_cast<std::size_t>(position)],
            definition.caseInsensitive
                ? static_cast<std::uint16_t>(number | hdr::kCaseInsensitiveField)
                : number);
        data.caseInsensitive.push_back(definition.caseInsensitive);
    }
    // The other fields carry their own positions in the entry.
    for (int i = 0; i < table.keyFields; ++i) {
        add(table.fields[static_cast<std::size_t>(i)],
            static_cast<std::uint16_t>(data.fields.size() + 1));
        data.caseInsensitive.push_back(false);
    }
    FieldInfo block;
    block.name = kBlockNumberField;
    block.type = FieldType::Short;
    block.sizeByte = 2;
    block.length = 2;
    add(block, static_cast<std::uint16_t>(data.fields.size() + 1));
    data.keyFields = static_cast<int>(data.fields.size()) - 1;
    return data;
}

std::string secondaryIndexName(const TableInfo& table, const TableInfo& data) {
    if (!data.indexName.empty() || data.fieldNumbers.empty()) return data.indexName;
    const int position = (data.fieldNumbers[0] & ~hdr::kCaseInsensitiveField) - 1;
    if (position < 0 || position >= static_cast<int>(table.fields.size())) return {};
    return table.fields[static_cast<std::size_t>(position)].name;
}

SecondaryFiles newSecondaryFiles(const TableFiles& table, const TableInfo& info,
                                 const TableInfo& data) {
    const std::string wanted = secondaryIndexName(info, data);
    const std::vector<SecondaryFiles> existing = secondaryIndexFiles(table);
    for (const SecondaryFiles& files : existing) {
        const std::string label = files.data.filename().string();
        const std::vector<std::uint8_t> header = readHeader(files.data, label);
        const TableInfo other = parseIndexDataHeader(header.data(), header.size(), label);
        if (sameNameIgnoringCase(secondaryIndexName(info, other), wanted))
            fail("The table " + inQuotes(table.name) + " already has an index named " +
                 inQuotes(wanted) + ".");
    }
    const fs::path folder = table.db.parent_path();
    const std::string stem = table.db.stem().string();
    const auto taken = [&](const std::string& suffix) {
        return !findFile(folder, stem + ".X" + suffix).empty() ||
               !findFile(folder, stem + ".Y" + suffix).empty();
    };
    char suffix[8];
    if (isSingle(data.fileType)) {
        std::snprintf(suffix, sizeof suffix, "%02X", data.fieldNumbers[0] & 0xFF);
        if (taken(suffix))
            fail("The table " + inQuotes(table.name) + " already has an index on the field " +
                 inQuotes(wanted) + ".");
        return {folder / (stem + ".X" + suffix), folder / (stem + ".Y" + suffix)};
    }
    for (int n = 0; n < 16; ++n) {
        std::snprintf(suffix, sizeof suffix, "G%X", n);
        if (!taken(suffix))
            return {folder / (stem + ".X" + suffix), folder / (stem + ".Y" + suffix)};
    }
    fail("The table " + inQuotes(table.name) +
         " already has 16 composite indexes, as many as the file names .XG0 to .XGF allow.");
}

void writeSecondaryIndex(const TableFiles& table, const TableInfo& dataInfo,
                         const SecondaryFiles& files, bool unique, mode_t mode) {
    const std::string label = files.data.filename().string();
    TableReader reader(table);
    const TableInfo& info = reader.info();
    const EntryLayout layout(info, dataInfo, label);
    const auto size = static_cast<std::size_t>(layout.size());

    // One entry per row, in index order.
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(reader.recordCount()) * size);
    std::size_t count = 0;
    for (std::size_t b = 0; b < reader.chain().size(); ++b) {
        const std::uint8_t* records = reader.readBlock(b);
        for (int r = 0; r < reader.chain()[b].records; ++r, ++count)
            layout.build(records + static_cast<std::size_t>(r) * info.recordSize,
                         reader.chain()[b].number, entries.data() + count * size);
    }
    const KeyOrder order(dataInfo);
    std::vector<std::size_t> sorted(count);
    std::iota(sorted.begin(), sorted.end(), 0);
    const auto entry = [&](std::size_t i) { return entries.data() + i * size; };
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
        return order.compare(entry(a), entry(b)) < 0;
    });
    if (unique) {
        const KeyOrder indexFields(dataInfo, layout.indexFields(), dataInfo.caseInsensitive,
                                   dataInfo.descending);
        for (std::size_t i = 1; i < sorted.size(); ++i)
            if (indexFields.compare(entry(sorted[i - 1]), entry(sorted[i])) == 0 &&
                !layout.hasBlankField(entry(sorted[i])))
                fail("The unique index " + inQuotes(secondaryIndexName(info, dataInfo)) +
                     " cannot be created: table " + inQuotes(table.name) +
                     " has more than one row with " +
                     describeEntry(entry(sorted[i]), dataInfo, layout.indexFields()) + ".");
    }

    // The data file: blocks packed full, in index order.
    const int blockSize = dataInfo.blockSize;
    const int perBlock = recordsPerBlock(blockSize, layout.size());
    const std::size_t dataBlocks = (count + static_cast<std::size_t>(perBlock) - 1) / perBlock;
    if (dataBlocks > static_cast<std::size_t>(kMaxBlocksKeyed))
        fail("The index " + inQuotes(secondaryIndexName(info, dataInfo)) + " of table " +
             inQuotes(table.name) + " would need more than 32767 blocks.");
    TableInfo counted = dataInfo;
    counted.recordCount = static_cast<std::uint32_t>(count);
    counted.fileBlocks = static_cast<std::uint16_t>(dataBlocks);
    counted.firstBlock = dataBlocks > 0 ? 1 : 0;
    counted.lastBlock = static_cast<std::uint16_t>(dataBlocks);
    std::vector<std::uint8_t> data = buildTableHeader(counted, label);
    const std::size_t dataHeader = data.size();
    data.resize(dataHeader + dataBlocks * static_cast<std::size_t>(blockSize), 0);
    std::vector<IndexEntry> level;
    for (std::size_t b = 0; b < dataBlocks; ++b) {
        std::uint8_t* block = data.data() + dataHeader + b * static_cast<std::size_t>(blockSize);
        const std::size_t first = b * static_cast<std::size_t>(perBlock);
        const std::size_t n = std::min(count - first, static_cast<std::size_t>(perBlock));
        putLe16(block + hdr::kBlockNext,
                b + 1 < dataBlocks ? static_cast<std::uint16_t>(b + 2) : 0);
        putLe16(block + hdr::kBlockPrev, static_cast<std::uint16_t>(b));
        putLe16(block + hdr::kBlockAddDataSize, static_cast<std::uint16_t>((n - 1) * size));
        for (std::size_t i = 0; i < n; ++i)
            std::memcpy(block + hdr::kBlockHeaderSize + i * size, entry(sorted[first + i]), size);
        level.push_back({block + hdr::kBlockHeaderSize, static_cast<std::uint16_t>(b + 1),
                         static_cast<std::uint16_t>(n)});
    }

    // The index file, as Borland's engine builds it in one pass: blocks of each level hold
    // one entry less than they could, the root comes first, then each level down to the
    // one over the data blocks, all in one chain.
    const std::string indexLabel = files.index.filename().string();
    std::vector<std::uint8_t> index = buildIndexHeader(dataInfo, indexLabel);
    const int indexBlockSize = index[hdr::kMaxTableSize] * 1024;
    const int keyLength = order.length();
    const int entrySize = keyLength + 6;
    const int fill = std::max(1, (indexBlockSize - hdr::kBlockHeaderSize) / entrySize - 1);
    std::vector<std::vector<IndexEntry>> levels;
    if (!level.empty()) levels.push_back(std::move(level));
    while (!levels.empty() && levels.back().size() > static_cast<std::size_t>(fill)) {
        const std::vector<IndexEntry>& below = levels.back();
        std::vector<IndexEntry> above;
        for (std::size_t i = 0; i < below.size(); i += static_cast<std::size_t>(fill)) {
            std::uint16_t sum = 0;  // counts wrap at 16 bits, as the field does
            for (std::size_t j = i; j < std::min(below.size(), i + fill); ++j)
                sum = static_cast<std::uint16_t>(sum + below[j].count);
            above.push_back({below[i].key, 0, sum});
        }
        levels.push_back(std::move(above));
    }
    const auto blocksOf = [&](const std::vector<IndexEntry>& entriesOfLevel) {
        return (entriesOfLevel.size() + static_cast<std::size_t>(fill) - 1) / fill;
    };
    std::vector<std::size_t> firstBlock(levels.size());
    std::size_t indexBlocks = 0;
    std::uint32_t indexEntries = 0;
    for (std::size_t k = levels.size(); k-- > 0;) {
        firstBlock[k] = indexBlocks + 1;
        indexBlocks += blocksOf(levels[k]);
        indexEntries += static_cast<std::uint32_t>(levels[k].size());
    }
    for (std::size_t k = 1; k < levels.size(); ++k)
        for (std::size_t i = 0; i < levels[k].size(); ++i)
            levels[k][i].child = static_cast<std::uint16_t>(firstBlock[k - 1] + i);
    const std::size_t indexHeader = index.size();
    index.resize(indexHeader + indexBlocks * static_cast<std::size_t>(indexBlockSize), 0);
    for (std::size_t k = 0; k < levels.size(); ++k) {
        for (std::size_t i = 0; i < levels[k].size(); ++i) {
            const std::size_t number = firstBlock[k] + i / fill;
            std::uint8_t* block = index.data() + indexHeader +
                                  (number - 1) * static_cast<std::size_t>(indexBlockSize);
            const std::size_t slot = i % fill;
            std::uint8_t* at = block + hdr::kBlockHeaderSize + slot * entrySize;
            std::memcpy(at, levels[k][i].key, static_cast<std::size_t>(keyLength));
            putEntryNumber(at + keyLength, levels[k][i].child);
            putEntryNumber(at + keyLength + 2, levels[k][i].count);
            putEntryNumber(at + keyLength + 4, 0);
            putLe16(block + hdr::kBlockAddDataSize, static_cast<std::uint16_t>(slot * entrySize));
            putLe16(block + hdr::kBlockNext,
                    number < indexBlocks ? static_cast<std::uint16_t>(number + 1) : 0);
            putLe16(block + hdr::kBlockPrev, static_cast<std::uint16_t>(number - 1));
        }
    }
    std::uint8_t* h = index.data();
    putLe32(h + hdr::kRecordCount, indexEntries);
    for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kLastBlock, hdr::kMaxBlocks})
        putLe16(h + at, static_cast<std::uint16_t>(indexBlocks));
    putLe16(h + hdr::kFirstBlock, indexBlocks > 0 ? 1 : 0);
    putLe16(h + hdr::kIndexRoot, 1);  // an empty index too: no levels below it
    h[hdr::kIndexLevels] = static_cast<std::uint8_t>(levels.size());

    // Both files complete under new names, then in place: the data file first, whose
    // writer rebuilds an index that does not match it.
    const fs::path newData = fs::path(files.data).concat(kUnfinishedSuffix);
    const fs::path newIndex = fs::path(files.index).concat(kUnfinishedSuffix);
    unlinkQuietly(newData);
    unlinkQuietly(newIndex);
    try {
        writeNewFile(newData, data, table.name, mode);
        writeNewFile(newIndex, index, table.name, mode);
        if (::rename(newData.c_str(), files.data.c_str()) != 0 ||
            ::rename(newIndex.c_str(), files.index.c_str()) != 0)
            failSystem("Creating the index " + inQuotes(label), errno);
    } catch (...) {
        unlinkQuietly(newData);
        unlinkQuietly(newIndex);
        throw;
    }
}

}  // namespace velmora::paradox

#include "paradox/HeaderWriter.h"

#include <algorithm>

#include "common/text/CodePage.h"
#include "common/text/Utf8.h"
#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace {

// The word at 0x58 and 0x5A repeats the level, as Borland's tables do.
std::uint16_t versionWord(std::uint8_t version) {
    return static_cast<std::uint16_t>(0x0100 | version);
}

// What this writer writes: level 7 where the table is level 7 (its block size needs it),
// level 5 for everything older, whose header it brings up to level 5.
std::uint8_t writtenLevel(std::uint8_t version) {
    return version >= hdr::kVersionLevel7 ? hdr::kVersionLevel7 : hdr::kVersionLevel5;
}

int tableNameLength(std::uint8_t version) {
    return version >= hdr::kVersionLevel7 ? hdr::kTableNameLengthLevel7 : hdr::kTableNameLength;
}

int roundUpTo(int value, int unit) {
    return (value + unit - 1) / unit * unit;
}

}  // namespace

std::string toCodePage(std::string_view utf8, int codePage) {
    const text::CodePage& cp = text::CodePage::forNumber(codePage);
    std::string out;
    std::size_t i = 0;
    char32_t c = 0;
    while (i < utf8.size() && text::nextCodePoint(utf8, i, c)) {
        const int encoded = cp.encode(c);
        if (encoded < 0)
            fail("The name " + inQuotes(utf8) + " has a character that code page " +
                 std::to_string(codePage) + " cannot hold.");
        text::CodePage::forEachByte(encoded,
                                    [&](unsigned char b) { out.push_back(static_cast<char>(b)); });
    }
    return out;
}

std::uint32_t primaryIndexPointer(const TableInfo& info) {
    return info.keyed() ? static_cast<std::uint32_t>(info.headerSize) : 0;
}

std::vector<std::uint8_t> buildTableHeader(const TableInfo& info, std::string_view fileName) {
    const std::uint8_t level = writtenLevel(info.version);
    const int n = static_cast<int>(info.fields.size());
    std::vector<std::string> names;
    int nameBytes = 0;
    for (const auto& field : info.fields) {
        names.push_back(toCodePage(field.name, info.codePage));
        nameBytes += static_cast<int>(names.back().size()) + 1;
    }
    const int tableNameAt = hdr::kFieldTableV4 + 6 * n + 4;
    const int nameLength = tableNameLength(level);
    const int namesAt = tableNameAt + nameLength;
    const std::string_view sortOrderName = info.sortOrderName;
    const int used = namesAt + nameBytes + 2 * n + static_cast<int>(sortOrderName.size()) + 1;
    const int headerSize = roundUpTo(used, 0x800);

    std::vector<std::uint8_t> h(static_cast<std::size_t>(headerSize), 0);
    std::uint8_t* p = h.data();
    putLe16(p + hdr::kRecordSize, static_cast<std::uint16_t>(info.recordSize));
    putLe16(p + hdr::kHeaderSize, static_cast<std::uint16_t>(headerSize));
    p[hdr::kFileType] =
        static_cast<std::uint8_t>(info.keyFields > 0 ? hdr::kFileTypeKeyed : hdr::kFileTypeUnkeyed);
    p[hdr::kMaxTableSize] = static_cast<std::uint8_t>(info.blockSize / 1024);
    putLe32(p + hdr::kRecordCount, info.recordCount);
    putLe16(p + hdr::kNextBlock, info.fileBlocks);
    putLe16(p + hdr::kFileBlocks, info.fileBlocks);
    putLe16(p + hdr::kFirstBlock, info.firstBlock);
    putLe16(p + hdr::kLastBlock, info.lastBlock);
    putLe16(p + hdr::kUnknown12, kUnknown12Value);
    if (info.keyed())
        putLe32(p + hdr::kPrimaryIndexPointer, static_cast<std::uint32_t>(headerSize));
    putLe16(p + hdr::kFieldCount, static_cast<std::uint16_t>(n));
    putLe16(p + hdr::kKeyFields, static_cast<std::uint16_t>(info.keyFields));
    putLe32(p + hdr::kEncryption1, 0xFF00FF00u);
    p[hdr::kSortOrder] = info.sortOrder;
    p[hdr::kChangeCount1] = info.changeCount;
    p[hdr::kChangeCount2] = kChangeCount;
    // In-memory pointers of the engine that wrote the file; kept relative to a zero base.
    putLe32(p + hdr::kTableNamePtrPtr, static_cast<std::uint32_t>(hdr::kFieldTableV4 + 2 * n));
    putLe32(p + hdr::kFieldInfoPtr, static_cast<std::uint32_t>(hdr::kFieldTableV4));
    p[hdr::kVersion] = level;
    putLe16(p + hdr::kMaxBlocks, info.fileBlocks);
    p[hdr::kUnknown3E] = 0x1F;
    p[hdr::kUnknown3E + 1] = 0x0F;
    putLe32(p + hdr::kAutoIncrement, info.autoIncrement);
    putLe16(p + hdr::kRealHeaderSize, static_cast<std::uint16_t>(used));
    p[hdr::kUnknown56] = 0x20;
    putLe16(p + hdr::kVersionWord1, versionWord(level));
    putLe16(p + hdr::kVersionWord2, versionWord(level));
    putLe16(p + hdr::kHighFieldId, static_cast<std::uint16_t>(n + 1));
    putLe16(p + hdr::kHighFieldIdInfo,
            static_cast<std::uint16_t>(0x20 + 6 * n + 4 + nameLength + nameBytes));
    putLe16(p + hdr::kCodePage, static_cast<std::uint16_t>(info.codePage));
    p[hdr::kUnknown6C] = 1;
    p[hdr::kUnknown6C + 1] = 1;
    putLe16(p + hdr::kUnknown6C + 2,
            static_cast<std::uint16_t>(0x18 + 8 * n + 4 + nameLength + nameBytes + 8));
    putLe16(p + hdr::kChangeCount4, kChangeCount);

    int at = hdr::kFieldTableV4;
    for (const auto& field : info.fields) {
        p[at] = static_cast<std::uint8_t>(field.type);
        p[at + 1] = field.sizeByte;
        at += 2;
    }
    putLe32(p + at, static_cast<std::uint32_t>(tableNameAt));
    at += 4;
    int nameAt = namesAt;
    for (const auto& name : names) {
        putLe32(p + at, static_cast<std::uint32_t>(nameAt));
        at += 4;
        nameAt += static_cast<int>(name.size()) + 1;
    }
    const std::string tableName = toCodePage(fileName, info.codePage);
    std::copy(tableName.begin(), tableName.end(), p + tableNameAt);
    at = namesAt;
    for (const auto& name : names) {
        std::copy(name.begin(), name.end(), p + at);
        at += static_cast<int>(name.size()) + 1;
    }
    for (int i = 1; i <= n; ++i, at += 2) putLe16(p + at, static_cast<std::uint16_t>(i));
    std::copy(sortOrderName.begin(), sortOrderName.end(), p + at);
    return h;
}

std::vector<std::uint8_t> buildIndexHeader(const TableInfo& info, std::string_view fileName) {
    const std::uint8_t level = writtenLevel(info.version);
    std::vector<std::uint8_t> h(0x800, 0);
    std::uint8_t* p = h.data();
    const int k = info.keyFields;
    putLe16(p + hdr::kRecordSize, static_cast<std::uint16_t>(info.keyLength() + 6));
    putLe16(p + hdr::kHeaderSize, 0x800);
    p[hdr::kFileType] = hdr::kFileTypeIndex;
    p[hdr::kMaxTableSize] = kIndexBlockSize / 1024;
    putLe16(p + hdr::kUnknown12, kUnknown12Value);
    putLe16(p + hdr::kFieldCount, static_cast<std::uint16_t>(k));
    p[hdr::kSortOrder] = info.sortOrder;
    p[hdr::kIndexChangeCount] = info.changeCount;
    putLe32(p + hdr::kTableNamePtrPtr, static_cast<std::uint32_t>(hdr::kFieldTableV3 + 2 * k));
    putLe32(p + hdr::kFieldInfoPtr, static_cast<std::uint32_t>(hdr::kFieldTableV3));
    p[hdr::kVersion] = level;
    putLe32(p + hdr::kAutoIncrement, 1);
    const int tableNameAt = hdr::kFieldTableV3 + 2 * k + 4;
    putLe16(p + hdr::kRealHeaderSize,
            static_cast<std::uint16_t>(tableNameAt + tableNameLength(level)));
    int at = hdr::kFieldTableV3;
    for (int i = 0; i < k; ++i, at += 2) {
        const auto& field = info.fields[static_cast<std::size_t>(i)];
        p[at] = static_cast<std::uint8_t>(field.type);
        p[at + 1] = field.sizeByte;
    }
    putLe32(p + at, static_cast<std::uint32_t>(tableNameAt));
    const std::string tableName = toCodePage(fileName, info.codePage);
    std::copy(tableName.begin(), tableName.end(), p + tableNameAt);
    return h;
}

std::vector<std::uint8_t> buildBlobHeader() {
    std::vector<std::uint8_t> h(kBlobBlockSize, 0);
    std::uint8_t* p = h.data();
    // The constant values Borland's engine writes into every .mb header.
    p[0] = 0;           // header block
    putLe16(p + 1, 1);  // one 4 KB chunk
    putLe16(p + 3, 0);  // modification count
    const std::uint8_t fixed[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
    std::copy(std::begin(fixed), std::end(fixed), p + 5);
    putLe16(p + 0x0B, 0x1000);
    putLe16(p + 0x0D, 0x1000);
    p[0x10] = 0x10;
    putLe16(p + 0x11, 0x40);
    putLe16(p + 0x13, 0x800);
    p[0x29] = 0xA1;
    p[0x2A] = 0x02;
    p[0x38] = 0x02;
    p[0x39] = 0x10;
    return h;
}

}  // namespace velmora::paradox

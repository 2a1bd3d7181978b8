#include "paradox/TableHeader.h"

#include "common/text/CodePage.h"
#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace {

[[noreturn]] void damaged(const std::string& label, const std::string& why) {
    fail("The file " + inQuotes(label) + " is not a readable Paradox table: " + why + ".");
}

int blockSizeFrom(std::uint8_t code) {
    return code >= 1 && code <= 32 ? code * 1024 : 0;
}

int tableNameLength(std::uint8_t version) {
    return version >= hdr::kVersionLevel7 ? hdr::kTableNameLengthLevel7 : hdr::kTableNameLength;
}

}  // namespace

int TableInfo::keyLength() const {
    int length = 0;
    for (int i = 0; i < keyFields; ++i) length += fields[static_cast<std::size_t>(i)].length;
    return length;
}

int TableInfo::recordsPerBlock() const {
    return (blockSize - hdr::kBlockHeaderSize) / recordSize;
}

int declaredHeaderSize(const std::uint8_t* data) {
    return getLe16(data + hdr::kHeaderSize);
}

bool looksLikeTableHeader(const std::uint8_t* data, std::size_t available, std::uint64_t fileSize) {
    if (available < kTableHeaderProbe) return false;
    const int fileType = data[hdr::kFileType];
    const int version = data[hdr::kVersion];
    const int headerSize = getLe16(data + hdr::kHeaderSize);
    const int recordSize = getLe16(data + hdr::kRecordSize);
    const int blockSize = blockSizeFrom(data[hdr::kMaxTableSize]);
    const int fields = getLe16s(data + hdr::kFieldCount);
    return (fileType == hdr::kFileTypeKeyed || fileType == hdr::kFileTypeUnkeyed) && version >= 3 &&
           version <= 15 && headerSize >= hdr::kFieldTableV3 &&
           static_cast<std::uint64_t>(headerSize) <= fileSize && blockSize != 0 &&
           recordSize >= 1 && recordSize <= blockSize && fields >= 1 && fields <= 255;
}

bool isSecondaryIndexData(int fileType) {
    return fileType == hdr::kFileTypeSingleData || fileType == hdr::kFileTypeSingleDataMaintained ||
           fileType == hdr::kFileTypeCompositeData ||
           fileType == hdr::kFileTypeCompositeDataMaintained;
}

namespace {

TableInfo parseRecordFile(const std::uint8_t* data, std::size_t available, const std::string& label,
                          bool indexData) {
    if (available < static_cast<std::size_t>(hdr::kFieldTableV4))
        damaged(label, "the file is too short");
    TableInfo info;
    info.fileType = data[hdr::kFileType];
    if (indexData ? !isSecondaryIndexData(info.fileType)
                  : info.fileType != hdr::kFileTypeKeyed && info.fileType != hdr::kFileTypeUnkeyed)
        damaged(label, indexData ? "its header does not describe a secondary index"
                                 : "its header does not describe a data table");
    info.version = data[hdr::kVersion];
    if (info.version < 3 || info.version > 15) damaged(label, "unknown file version");
    info.headerSize = getLe16(data + hdr::kHeaderSize);
    info.blockSize = blockSizeFrom(data[hdr::kMaxTableSize]);
    info.recordSize = getLe16(data + hdr::kRecordSize);
    if (info.blockSize == 0) damaged(label, "invalid block size");
    if (info.headerSize < hdr::kFieldTableV4 ||
        static_cast<std::size_t>(info.headerSize) > available)
        damaged(label, "invalid header size");
    if (info.recordSize < 1 || info.recordSize > info.blockSize - hdr::kBlockHeaderSize)
        damaged(label, "invalid record size");
    info.recordCount = getLe32(data + hdr::kRecordCount);
    info.fileBlocks = getLe16(data + hdr::kFileBlocks);
    info.firstBlock = getLe16(data + hdr::kFirstBlock);
    info.lastBlock = getLe16(data + hdr::kLastBlock);
    info.keyFields = getLe16s(data + hdr::kKeyFields);
    info.autoIncrement = getLe32(data + hdr::kAutoIncrement);
    info.sortOrder = data[hdr::kSortOrder];
    info.changeCount = data[hdr::kChangeCount1];

    const bool level4OrLater = info.version >= 5;
    std::uint32_t encryption = getLe32(data + hdr::kEncryption1);
    if (level4OrLater && encryption == 0xFF00FF00u) encryption = getLe32(data + hdr::kEncryption2);
    if (encryption != 0)
        fail("The table " + inQuotes(label) + " is encrypted; encrypted tables are not supported.");
    info.codePage = level4OrLater ? getLe16(data + hdr::kCodePage) : 437;
    if (info.codePage == 0) info.codePage = 437;
    const text::CodePage& codePage = text::CodePage::forNumber(info.codePage);

    const int fieldCount = getLe16s(data + hdr::kFieldCount);
    if (fieldCount < 1 || fieldCount > 255) damaged(label, "invalid number of fields");
    if (info.keyFields < 0 || info.keyFields > fieldCount)
        damaged(label, "invalid number of key fields");
    if (!indexData && (info.fileType == hdr::kFileTypeKeyed) != (info.keyFields > 0))
        damaged(label, "its key description is inconsistent");

    const std::size_t end = static_cast<std::size_t>(info.headerSize);
    std::size_t at =
        static_cast<std::size_t>(level4OrLater ? hdr::kFieldTableV4 : hdr::kFieldTableV3);
    if (at + 2 * static_cast<std::size_t>(fieldCount) > end)
        damaged(label, "the field table is cut off");
    int offset = 0;
    info.fields.resize(static_cast<std::size_t>(fieldCount));
    for (auto& field : info.fields) {
        const std::uint8_t type = data[at];
        field.sizeByte = data[at + 1];
        field.length = fieldLength(type, field.sizeByte);
        if (field.length == 0) damaged(label, "unsupported field type or size");
        field.type = static_cast<FieldType>(type);
        field.offset = offset;
        offset += field.length;
        at += 2;
    }
    if (offset != info.recordSize)
        damaged(label, "the field lengths do not add up to the record size");

    // Table name pointer and one pointer per field name, then the table name.
    at += 4 + 4 * static_cast<std::size_t>(fieldCount) +
          static_cast<std::size_t>(tableNameLength(info.version));
    for (auto& field : info.fields) {
        std::size_t stop = at;
        while (stop < end && data[stop] != 0) ++stop;
        if (stop >= end) damaged(label, "the field names are cut off");
        codePage.decode(std::string_view(reinterpret_cast<const char*>(data + at), stop - at),
                        field.name);
        at = stop + 1;
    }
    // Field numbers, the sort order name, and a secondary index's name.
    if (at + 2 * static_cast<std::size_t>(fieldCount) <= end)
        for (int i = 0; i < fieldCount; ++i)
            info.fieldNumbers.push_back(getLe16(data + at + 2 * i));
    at += 2 * static_cast<std::size_t>(fieldCount);
    std::size_t stop = at;
    while (stop < end && data[stop] != 0) ++stop;
    if (stop < end) info.sortOrderName.assign(reinterpret_cast<const char*>(data + at), stop - at);
    if (indexData) {
        if (info.fieldNumbers.empty() || info.keyFields < 1)
            damaged(label, "its key description is inconsistent");
        at = stop + 1;
        stop = at;
        while (stop < end && data[stop] != 0) ++stop;
        if (stop < end)
            codePage.decode(std::string_view(reinterpret_cast<const char*>(data + at), stop - at),
                            info.indexName);
        for (int i = 0; i < info.keyFields; ++i)
            info.caseInsensitive.push_back(
                (info.fieldNumbers[static_cast<std::size_t>(i)] & hdr::kCaseInsensitiveField) != 0);
        info.descending = data[hdr::kIndexDirection] == hdr::kDirectionDescending;
    }
    return info;
}

}  // namespace

TableInfo parseTableHeader(const std::uint8_t* data, std::size_t available,
                           const std::string& label) {
    return parseRecordFile(data, available, label, false);
}

TableInfo parseIndexDataHeader(const std::uint8_t* data, std::size_t available,
                               const std::string& label) {
    return parseRecordFile(data, available, label, true);
}

IndexInfo parseIndexHeader(const std::uint8_t* data, std::size_t available,
                           const std::string& label) {
    if (available < static_cast<std::size_t>(hdr::kFieldTableV3))
        damaged(label, "the index file is too short");
    const int fileType = data[hdr::kFileType];
    if (fileType != hdr::kFileTypeIndex && fileType != hdr::kFileTypeSingleIndex &&
        fileType != hdr::kFileTypeCompositeIndex)
        damaged(label, "the file is not an index");
    IndexInfo info;
    info.headerSize = getLe16(data + hdr::kHeaderSize);
    info.blockSize = blockSizeFrom(data[hdr::kMaxTableSize]);
    info.recordSize = getLe16(data + hdr::kRecordSize);
    info.keyFields = getLe16s(data + hdr::kFieldCount);
    info.entryCount = getLe32(data + hdr::kRecordCount);
    info.fileBlocks = getLe16(data + hdr::kFileBlocks);
    info.firstBlock = getLe16(data + hdr::kFirstBlock);
    info.lastBlock = getLe16(data + hdr::kLastBlock);
    info.root = getLe16(data + hdr::kIndexRoot);
    info.levels = data[hdr::kIndexLevels];
    if (info.blockSize == 0 || info.headerSize < hdr::kFieldTableV3 ||
        static_cast<std::size_t>(info.headerSize) > available)
        damaged(label, "the index header is invalid");
    if (info.recordSize < 7 || info.recordSize * 2 > info.blockSize - hdr::kBlockHeaderSize)
        damaged(label, "the index record size is invalid");
    return info;
}

}  // namespace velmora::paradox

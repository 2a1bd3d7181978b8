#include "paradox/CreateTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <iterator>

#include "paradox/BlockSize.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/HeaderWriter.h"
#include "paradox/LanguageDriver.h"
#include "paradox/TableFiles.h"

namespace velmora::paradox {

namespace {

constexpr int kMaxFields = 255;

bool isType(std::string_view word, std::initializer_list<std::string_view> names) {
    for (auto name : names)
        if (sameNameIgnoringCase(word, name)) return true;
    return false;
}

struct TypeChoice {
    FieldType type;
    int sizeByte;
};

TypeChoice chooseType(const sql::ColumnDefinition& d, std::string_view text) {
    const std::string_view word = d.type.raw;
    const int count = d.argumentCount;
    const int first = d.arguments[0];
    const std::string column = inQuotes(d.name.text());
    auto noArguments = [&](FieldType type, int size) {
        if (count != 0)
            failSyntax(text, d.type.offset, "the type " + std::string(word) + " takes no size.");
        return TypeChoice{type, size};
    };
    auto oneArgument = [&](const char* what, int low, int high, int defaultValue) {
        if (count > 1)
            failSyntax(text, d.type.offset, "the type " + std::string(word) + " takes one size.");
        const int value = count == 1 ? first : defaultValue;
        if (value < low || value > high)
            fail("The " + std::string(what) + " of column " + column + " must be between " +
                 std::to_string(low) + " and " + std::to_string(high) + ", not " +
                 std::to_string(value) + ".");
        return value;
    };
    if (isType(word, {"TEXT", "VARCHAR", "ALPHANUMERIC", "STRING"}))
        return {FieldType::Alpha, oneArgument("size", 1, 255, 255)};
    if (isType(word, {"CHAR", "CHARACTER"}))
        return {FieldType::Alpha, oneArgument("size", 1, 255, 1)};
    if (isType(word, {"INT", "INTEGER", "LONG"})) return noArguments(FieldType::Long, 4);
    if (isType(word, {"SMALLINT", "SHORT"})) return noArguments(FieldType::Short, 2);
    if (isType(word, {"FLOAT", "DOUBLE", "NUMBER", "REAL"}))
        return noArguments(FieldType::Number, 8);
    if (isType(word, {"CURRENCY", "MONEY"})) return noArguments(FieldType::Currency, 8);
    if (isType(word, {"DECIMAL", "NUMERIC", "DEC"})) {
        if (count == 0) return {FieldType::Bcd, kDefaultDecimalScale};
        if (first < 1 || first > kBcdDigits)
            fail("The precision of column " + column + " must be between 1 and 32, not " +
                 std::to_string(first) + ".");
        const int scale = count == 2 ? d.arguments[1] : 0;
        if (scale > first)
            fail("The scale of column " + column + " (" + std::to_string(scale) +
                 ") cannot exceed its precision (" + std::to_string(first) + ").");
        return {FieldType::Bcd, scale};
    }
    if (isType(word, {"DATE"})) return noArguments(FieldType::Date, 4);
    if (isType(word, {"TIME"})) return noArguments(FieldType::Time, 4);
    if (isType(word, {"TIMESTAMP", "DATETIME"})) return noArguments(FieldType::Timestamp, 8);
    if (isType(word, {"BIT", "LOGICAL", "BOOLEAN", "BOOL"}))
        return noArguments(FieldType::Logical, 1);
    if (isType(word, {"MEMO", "LONGVARCHAR"}))
        return {FieldType::Memo,
                oneArgument("memo leader size", 1, 240, 1) + kBlobDescriptorLength};
    if (isType(word, {"BLOB", "LONGVARBINARY"}))
        return {FieldType::Blob,
                oneArgument("blob leader size", 0, 240, 0) + kBlobDescriptorLength};
    if (isType(word, {"BYTES"})) {
        if (count == 0) failSyntax(text, d.type.offset, "the type BYTES needs a size.");
        return {FieldType::Bytes, oneArgument("size", 1, 255, 1)};
    }
    if (isType(word, {"AUTOINCREMENT", "AUTOINC", "COUNTER"}))
        return noArguments(FieldType::AutoIncrement, 4);
    failSyntax(text, d.type.offset, "unknown column type " + inQuotes(word) + ".");
}

void unlinkQuietly(const std::filesystem::path& path) {
    ::unlink(path.c_str());
}

bool lockQuietly(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

void checkFolderWritable(const std::filesystem::path& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        access(folder.c_str(), W_OK) != 0)
        fail("The folder " + inQuotes(folder.string()) + " is read-only; nothing was changed.");
}

TableInfo defineTable(const sql::Statement& statement, std::string_view text) {
    TableInfo info;
    info.version = hdr::kVersionLevel5;
    info.codePage = statement.codePage != 0 ? statement.codePage : kCodePage1252;
    const LanguageDriver driver = languageDriver(info.codePage);
    info.sortOrderName = std::string(driver.name);
    info.sortOrder = driver.sortOrder;
    if (info.sortOrderName.empty())
        fail("Tables cannot be created in code page " + std::to_string(info.codePage) +
             "; CODEPAGE takes 1252, 1250, 1251, 1253 to 1257, 874, 932, 936, 949 or 950.");
    if (statement.definitions.size() > static_cast<std::size_t>(kMaxFields))
        fail("A Paradox table holds at most 255 fields; the statement defines " +
             std::to_string(statement.definitions.size()) + ".");
    int offset = 0;
    for (const auto& definition : statement.definitions) {
        FieldInfo field;
        field.name = definition.name.text();
        checkFieldName(field.name, info.codePage);
        for (const auto& other : info.fields)
            if (sameNameIgnoringCase(other.name, field.name))
                fail("The column name " + inQuotes(field.name) + " appears twice.");
        const TypeChoice choice = chooseType(definition, text);
        field.type = choice.type;
        field.sizeByte = static_cast<std::uint8_t>(choice.sizeByte);
        field.length = fieldLength(static_cast<std::uint8_t>(choice.type), field.sizeByte);
        field.offset = offset;
        offset += field.length;
        info.fields.push_back(field);
    }
    info.recordSize = offset;
    const BlockChoice blocks =
        chooseBlockSize(offset, statement.expectedRows, statement.table.text());
    info.blockSize = blocks.blockSize;
    info.version = blocks.version;
    return info;
}

void writeNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                  const std::string& label, mode_t mode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        if (errno == EEXIST)
            fail("The file " + inQuotes(path.filename().string()) + " is in the way of table " +
                 inQuotes(label) + ".");
        failSystem("Creating table " + inQuotes(label), errno);
    }
    lockQuietly(fd);  // a file being made is no leftover (removeAbandonedNewFiles)
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            unlinkQuietly(path);
            failSystem("Creating table " + inQuotes(label), error);
        }
        done += static_cast<std::size_t>(written);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        unlinkQuietly(path);
        failSystem("Creating table " + inQuotes(label), error);
    }
}

void publishNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                    const std::string& label, mode_t mode) {
    const std::filesystem::path temporary = std::filesystem::path(path).concat(kUnfinishedSuffix);
    unlinkQuietly(temporary);  // left by a writer that was killed
    writeNewFile(temporary, bytes, label, mode);
    const int linked = ::link(temporary.c_str(), path.c_str());
    const int error = errno;
    unlinkQuietly(temporary);
    if (linked == 0) return;
    if (error == EEXIST)
        fail("The file " + inQuotes(path.filename().string()) + " is in the way of table " +
             inQuotes(label) + ".");
    failSystem("Creating table " + inQuotes(label), error);
}

void removeAbandonedNewFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (file.size() <= kUnfinishedSuffix.size() ||
            !sameNameIgnoringCase(
                std::string_view(file).substr(file.size() - kUnfinishedSuffix.size()),
                kUnfinishedSuffix))
            continue;
        const std::filesystem::path base =
            folder / file.substr(0, file.size() - kUnfinishedSuffix.size());
        const std::string extension = base.extension().string();
        // A new .px beside a keyed table is adopted by the table's next writer.
        if (!sameNameIgnoringCase(extension, ".db") && !sameNameIgnoringCase(extension, ".mb"))
            continue;
        if (::access(base.c_str(), F_OK) == 0) continue;  // the table's writer sees to it
        const int fd = ::open(entry.path().c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (lockQuietly(fd)) unlinkQuietly(entry.path());
        ::close(fd);
    }
}

void checkNoLeftovers(const std::filesystem::path& folder, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (sameNameIgnoringCase(file, name + ".px") || sameNameIgnoringCase(file, name + ".mb"))
            fail("The file " + inQuotes(file) + " of an earlier table " + inQuotes(name) +
                 " is still in the folder; remove it before creating the table.");
    }
}

void createTableFiles(const std::filesystem::path& folder, const std::string& name,
                      const TableInfo& info, mode_t mode) {
    checkFolderWritable(folder);
    if (!locateTable(folder, name).db.empty())
        fail("The table " + inQuotes(name) + " already exists.");
    bool hasBlobs = false;
    for (const auto& field : info.fields) hasBlobs = hasBlobs || isBlob(field.type);
    checkNoLeftovers(folder, name);
    // Each file appears whole under its name; the .db, which makes the table exist, first,
    // so a kill in between leaves a table whose memo values cannot be stored yet, not an
    // orphan .mb that would stand in the way of the table's next creation.
    const std::filesystem::path db = folder / (name + ".db");
    publishNewFile(db, buildTableHeader(info, name + ".db"), name, mode);
    if (hasBlobs) {
        try {
            publishNewFile(folder / (name + ".mb"), buildBlobHeader(), name, mode);
        } catch (...) {
            unlinkQuietly(db);
            throw;
        }
    }
}

}  // namespace velmora::paradox

#include "paradox/CreateIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "paradox/ByteOrder.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/HeaderWriter.h"
#include "paradox/KeyOrder.h"
#include "paradox/TableReader.h"
#include "paradox/ValueDecoder.h"
#include "paradox/WritableTable.h"

namespace velmora::paradox {

namespace fs = std::filesystem;

namespace {

bool canBeKey(FieldType type) {
    return !isBlob(type) && type != FieldType::Bytes;
}

std::vector<std::uint8_t> readHeader(const fs::path& path, const TableInfo& info,
                                     const std::string& label) {
    std::vector<std::uint8_t> header(static_cast<std::size_t>(info.headerSize));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failSystem("Reading table " + inQuotes(label), errno);
    const ssize_t got = pread(fd, header.data(), header.size(), 0);
    ::close(fd);
    if (got != static_cast<ssize_t>(header.size()))
        fail("The table " + inQuotes(label) + " cannot be read.");
    return header;
}

// The header of the keyed table: the same fields, no blocks yet, one change more.
void makeKeyedHeader(std::vector<std::uint8_t>& header, TableInfo& info) {
    std::uint8_t* h = header.data();
    h[hdr::kFileType] = hdr::kFileTypeKeyed;
    putLe16(h + hdr::kKeyFields, static_cast<std::uint16_t>(info.keyFields));
    putLe32(h + hdr::kPrimaryIndexPointer, primaryIndexPointer(info));
    info.changeCount = ++h[hdr::kChangeCount1];
    putLe32(h + hdr::kRecordCount, 0);
    for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kFirstBlock, hdr::kLastBlock,
                   hdr::kMaxBlocks, hdr::kFirstFreeBlock})
        putLe16(h + at, 0);
}

}  // namespace

std::unique_ptr<WritableTable> createPrimaryIndex(const fs::path& folder, const TableFiles& files,
                                                  const std::vector<std::string>& keyColumns) {
    const std::string& name = files.name;
    TableReader reader(files);
    TableInfo info = reader.info();
    if (info.keyed()) fail("The table " + inQuotes(name) + " already has a primary index.");
    if (!files.px.empty())
        fail("The file " + inQuotes(files.px.filename().string()) +
             " is in the way of the new primary index of " + inQuotes(name) + ".");
    for (std::size_t i = 0; i < keyColumns.size(); ++i) {
        auto found = std::find_if(info.fields.begin(), info.fields.end(), [&](const FieldInfo& f) {
            return sameNameIgnoringCase(f.name, keyColumns[i]);
        });
        if (found == info.fields.end())
            fail("The table " + inQuotes(name) + " has no column " + inQuotes(keyColumns[i]) + ".");
        const auto position = static_cast<std::size_t>(found - info.fields.begin());
        if (position != i)
            fail("Paradox keys are the first fields of a table: the key column " +
                 inQuotes(found->name) + " is field " + std::to_string(position + 1) + " of " +
                 inQuotes(name) + " but would have to be field " + std::to_string(i + 1) + ".");
        if (!canBeKey(found->type))
            fail("The column " + inQuotes(found->name) + " (" + typeLabel(*found) +
                 ") cannot be part of a key.");
        for (std::size_t j = 0; j < i; ++j)
            if (keyColumns[j] == keyColumns[i])
                fail("The key names column " + inQuotes(found->name) + " twice.");
    }
    checkFolderWritable(folder);
    info.keyFields = static_cast<int>(keyColumns.size());
    info.fileType = hdr::kFileTypeKeyed;

    // All rows, in key order, with duplicates refused before any file changes.
    const auto size = static_cast<std::size_t>(info.recordSize);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(reader.recordCount()) * size);
    std::size_t at = 0;
    for (std::size_t b = 0; b < reader.chain().size(); ++b) {
        const std::size_t bytes = static_cast<std::size_t>(reader.chain()[b].records) * size;
        std::memcpy(rows.data() + at, reader.readBlock(b), bytes);
        at += bytes;
    }
    const KeyOrder order(info);
    std::vector<std::size_t> sorted(static_cast<std::size_t>(reader.recordCount()));
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
        return order.compare(rows.data() + a * size, rows.data() + b * size) < 0;
    });
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (order.compare(rows.data() + sorted[i - 1] * size, rows.data() + sorted[i] * size) ==
            0) {
            std::string key;
            for (int k = 0; k < info.keyFields; ++k) {
                const FieldInfo& field = info.fields[static_cast<std::size_t>(k)];
                if (k > 0) key += ", ";
                key += inQuotes(field.name) + " = " +
                       displayText(
                           decodeFixedField(rows.data() + sorted[i] * size, field, info.codePage));
            }
            fail("The primary index cannot be created: table " + inQuotes(name) +
                 " has more than one row with the key " + key + ".");
        }

    // New files beside the old ones; they take the old names only when complete.
    std::vector<std::uint8_t> header = readHeader(files.db, reader.info(), name);
    makeKeyedHeader(header, info);
    const fs::path newDb = fs::path(files.db).concat(".~new");
    const fs::path px = files.db.parent_path() / (files.db.stem().string() + ".px");
    const fs::path newPx = fs::path(px).concat(".~new");
    ::unlink(newDb.c_str());
    ::unlink(newPx.c_str());
    // The keyed table and its index are as private as the table was.
    struct stat old {};
    const mode_t mode = ::stat(files.db.c_str(), &old) == 0 ? (old.st_mode & 0777) : kTableFileMode;
    std::unique_ptr<WritableTable> table;
    bool tableRenamed = false;
    try {
        writeNewFile(newDb, header, name, mode);
        writeNewFile(newPx, buildIndexHeader(info, files.db.stem().string() + ".PX"), name, mode);
        // No validity checks: the rows copied are the table's own, checked when written.
        table = std::make_unique<WritableTable>(TableFiles{name, newDb, newPx, files.mb, {}});
        const std::vector<PendingBlob> none;
        std::vector<std::uint8_t> record(size);
        for (std::size_t index : sorted) {
            std::memcpy(record.data(), rows.data() + index * size, size);
            table->insert(record.data(), none, 0);
        }
        // The new files stay open and locked while they take the old names, so no other
        // writer comes between. The table first: from then on the table is keyed, and a
        // complete index waits beside it until it takes its name too; if this is killed in
        // between, the next writer finishes it (WritableTable).
        if (::rename(newDb.c_str(), files.db.c_str()) != 0)
            failSystem("Creating the primary index of " + inQuotes(name), errno);
        tableRenamed = true;
        if (::rename(newPx.c_str(), px.c_str()) != 0)  // the next writer adopts the index
            failSystem("Creating the primary index of " + inQuotes(name), errno);
    } catch (...) {
        table.reset();
        if (tableRenamed) throw;
        ::unlink(newDb.c_str());
        ::unlink(newPx.c_str());
        throw;
    }
    table->movedTo(TableFiles{name, files.db, px, files.mb, files.val});
    return table;
}

}  // namespace velmora::paradox

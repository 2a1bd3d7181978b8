#include "paradox/WritableTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "dataaccess/DbError.h"
#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kMaxBlocks = 0xFFFF;
// Room for the largest header and 65535 blocks of the largest size, so the mapping never moves.
constexpr std::size_t kReserve = 0x10000 + kMaxBlocks * 32768;
constexpr std::size_t kDbSnapshot = hdr::kFieldTableV4;
constexpr std::size_t kPxSnapshot = hdr::kFieldTableV3;
// Written blocks leave this process's memory in steps of this size, so memory use stays
// flat however long a table grows; the file keeps them.
constexpr std::size_t kReleaseStep = 8 << 20;

std::vector<std::uint8_t> snapshot(const MappedFile& file, std::size_t length) {
    return std::vector<std::uint8_t>(file.data(), file.data() + std::min(length, file.size()));
}
}  // namespace

WritableTable::WritableTable(const TableFiles& files, Kind kind) : files_(files), kind_(kind) {
    db_.open(files.db, kReserve, files.name);
    if (kind_ == Kind::IndexData) {
        info_ = parseIndexDataHeader(db_.data(), db_.size(), files.db.filename().string());
    } else {
        info_ = parseTableHeader(db_.data(), db_.size(), files.name);
        if (info_.keyed() && files_.px.empty()) adoptFinishedIndex();
        removeUnfinishedRebuilds();
    }
    perBlock_ = info_.recordsPerBlock();
    const bool dataRepaired = recoverData();
    if (info_.keyed()) {
        if (files_.px.empty())
            fail("The primary index file (.px) of the keyed table " + inQuotes(files.name) +
                 " is missing; the table cannot be changed.");
        px_.open(files_.px, kReserve, files.name);
        const bool indexCut = cutUncountedIndexBlocks();
        order_.emplace(info_);
        index_.emplace(px_, *order_, files.name);
        if (dataRepaired || indexCut || !indexAgreesWithData()) rebuildIndex();
        pxSnapshot_ = snapshot(px_, kPxSnapshot);
    }
    scratch_.resize(static_cast<std::size_t>(info_.recordSize) *
                    static_cast<std::size_t>(perBlock_ + 1));
    dbSnapshot_ = snapshot(db_, kDbSnapshot);
    if (kind_ == Kind::Table && info_.keyed()) openSecondaryIndexes();
}

WritableTable::~WritableTable() = default;

// The maintained indexes beside the table; others (non-maintained ones, which Borland's
// engine brings up to date when it uses them) are left as they are.
void WritableTable::openSecondaryIndexes() {
    for (const SecondaryFiles& files : secondaryIndexFiles(files_)) {
        std::vector<std::uint8_t> type(hdr::kFileType + 1);
        const int fd = ::open(files.data.c_str(), O_RDONLY | O_CLOEXEC);
        const bool read =
            fd >= 0 && pread(fd, type.data(), type.size(), 0) == static_cast<ssize_t>(type.size());
        if (fd >= 0) ::close(fd);
        if (!read)
            fail("The index " + inQuotes(files.data.filename().string()) + " of table " +
                 inQuotes(files_.name) + " cannot be read.");
        if (type[hdr::kFileType] != hdr::kFileTypeSingleDataMaintained &&
            type[hdr::kFileType] != hdr::kFileTypeCompositeDataMaintained)
            continue;
        Secondary secondary{files, nullptr, std::nullopt};
        openSecondary(secondary);
        secondaries_.push_back(std::move(secondary));
    }
}

void WritableTable::openSecondary(Secondary& secondary) {
    const std::string label = secondary.files.data.filename().string();
    if (secondary.files.index.empty()) {  // a lost .Ynn is rebuilt beside its data file
        std::string ext = secondary.files.data.extension().string();
        ext[1] = ext[1] == 'x' ? 'y' : 'Y';
        secondary.files.index = fs::path(secondary.files.data).replace_extension(ext);
        rebuildSecondary(secondary);
        return;
    }
    bool damaged = false;
    try {
        secondary.data = std::make_unique<WritableTable>(
            TableFiles{files_.name, secondary.files.data, secondary.files.index, {}, {}},
            Kind::IndexData);
    } catch (const db::DbError& e) {
        // Locked or write-protected files are not ours to rebuild; damaged ones are.
        if (e.number() != db::errc::kProviderFailure ||
            ::access(secondary.files.data.c_str(), W_OK) != 0 ||
            ::access(secondary.files.index.c_str(), W_OK) != 0)
            throw;
        damaged = true;
    }
    if (!damaged) {
        secondary.layout.emplace(info_, secondary.data->info(), label);
        damaged = secondary.data->getRebuildNeeded() ||
                  getLe32(secondary.data->header() + hdr::kRecordCount) !=
                      getLe32(header() + hdr::kRecordCount);
    }
    if (damaged) rebuildSecondary(secondary);
}

void WritableTable::rebuildSecondary(Secondary& secondary) {
    const std::string label = secondary.files.data.filename().string();
    TableInfo data;
    if (secondary.data) {
        data = secondary.data->info();
    } else {
        std::vector<std::uint8_t> header(0x1000);
        const int fd = ::open(secondary.files.data.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = fd < 0 ? -1 : pread(fd, header.data(), header.size(), 0);
        if (fd >= 0) ::close(fd);
        header.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        data = parseIndexDataHeader(header.data(), header.size(), label);
    }
    secondary.data.reset();
    secondary.layout.reset();
    struct stat st {};
    const mode_t mode =
        ::stat(secondary.files.data.c_str(), &st) == 0 ? (st.st_mode & 0777) : kTableFileMode;
    writeSecondaryIndex(files_, data, secondary.files, false, mode);
    secondary.data = std::make_unique<WritableTable>(
        TableFiles{files_.name, secondary.files.data, secondary.files.index, {}, {}},
        Kind::IndexData);
    secondary.layout.emplace(info_, secondary.data->info(), label);
}

bool WritableTable::getRebuildNeeded() const {
    return header()[hdr::kRebuildNeeded] != 0;
}

void WritableTable::setRebuildNeeded(bool needed) {
    header()[hdr::kRebuildNeeded] = needed ? 1 : 0;
    std::memcpy(dbSnapshot_.data(), db_.data(), dbSnapshot_.size());
}

// The new row's entry in every index; the rows a split moved to a new block get that
// block's number. An index is marked for rebuilding while it changes, so a writer that
// is stopped part way leaves it to be rebuilt, never wrong.
void WritableTable::updateSecondaryIndexes(const std::uint8_t* record) {
    for (Secondary& secondary : secondaries_) {
        WritableTable& data = *secondary.data;
        const EntryLayout& layout = *secondary.layout;
        try {
            data.setRebuildNeeded(true);
            entry_.resize(static_cast<std::size_t>(layout.size()));
            layout.build(record, placedIn_, entry_.data());
            data.insert(entry_.data(), {}, 0);
            if (splitTo_ != 0) {
                std::uint8_t* b = block(splitTo_);
                const int n = recordsIn(b);
                for (int i = 0; i < n; ++i) {
                    const std::uint8_t* moved = recordAt(b, i);
                    if (order_->compare(moved, record) == 0) continue;
                    layout.build(moved, splitTo_, entry_.data());
                    std::uint8_t* stored = data.findRecord(entry_.data());
                    if (stored == nullptr)
                        fail("The index " + inQuotes(secondary.files.data.filename().string()) +
                             " has no entry for a row of the table.");
                    layout.setBlock(stored, splitTo_);
                }
            }
            data.setRebuildNeeded(false);
        } catch (const db::DbError& e) {
            try {
                rebuildSecondary(secondary);
            } catch (const db::DbError&) {
                fail("The row was added to table " + inQuotes(files_.name) + ", but its index " +
                     inQuotes(secondary.files.data.filename().string()) +
                     " could not be updated (" + e.what() +
                     "); the index is marked to be rebuilt when the table is next opened.");
            }
        }
    }
}

// CREATE INDEX renames the complete keyed table into place before its complete index: a
// keyed table without its index, with the new index beside it, was left between the two.
void WritableTable::adoptFinishedIndex() {
    const std::filesystem::path px = files_.db.parent_path() / (files_.db.stem().string() + ".px");
    const std::filesystem::path finished = std::filesystem::path(px).concat(kUnfinishedSuffix);
    if (::access(finished.c_str(), F_OK) != 0) return;
    const int fd = openLockedForWriting(finished, files_.name);
    const int renamed = ::rename(finished.c_str(), px.c_str());
    ::close(fd);
    if (renamed == 0) files_.px = px;
}

// A killed CREATE INDEX leaves its unfinished files; whoever can lock them owns them. A
// CREATE TABLE killed just after publishing a file leaves the temporary name as a second
// link to the finished file, which this writer already holds locked: only the name goes.
void WritableTable::removeUnfinishedRebuilds() const {
    const std::filesystem::path stem = files_.db.parent_path() / files_.db.stem();
    for (const char* extension : {".db", ".px", ".mb"}) {
        const std::filesystem::path finished = std::filesystem::path(stem).concat(extension);
        const std::filesystem::path leftover =
            std::filesystem::path(finished).concat(kUnfinishedSuffix);
        struct stat left {
        }, done{};
        if (::lstat(leftover.c_str(), &left) != 0) continue;
        if (::stat(finished.c_str(), &done) == 0 && left.st_dev == done.st_dev &&
            left.st_ino == done.st_ino) {
            ::unlink(leftover.c_str());
            continue;
        }
        try {
            const int fd = openLockedForWriting(leftover, files_.name);
            ::unlink(leftover.c_str());
            ::close(fd);
        } catch (const std::exception&) {
            // Another program is still writing it.
        }
    }
}

// How a kill leaves a table, and what opening it for writing repairs:
//  - blocks (and part blocks) past the counted ones are space reserved by a statement
//    that did not finish: cut off;
//  - a data block is filled before it is linked into the chain, and the chain is what
//    holds the rows, so the chain is right and the header's record count and last block
//    follow it;
//  - the primary index is changed after the data and is rebuilt from the chain whenever
//    the data or the index needed repair or they disagree.
// A chain that is broken (a link past the end, a circle, a wrong back link) is real damage
// and refused; nothing is changed then.
bool WritableTable::recoverData() {
    const auto headerSize = static_cast<std::size_t>(info_.headerSize);
    const auto blockSize = static_cast<std::size_t>(info_.blockSize);
    const std::size_t whole = (db_.size() - headerSize) / blockSize;
    if (whole > kMaxBlocks) failDamaged();
    std::vector<bool> seen(whole + 1, false);
    std::uint16_t previous = 0;
    std::uint16_t current = getLe16(header() + hdr::kFirstBlock);
    std::uint32_t records = 0;
    std::uint16_t highest = 0;
    while (current != 0) {
        if (current > whole || seen[current]) failDamaged();
        seen[current] = true;
        const std::uint8_t* b = block(current);
        if (getLe16(b + hdr::kBlockPrev) != previous) failDamaged();
        records += static_cast<std::uint32_t>(recordsIn(b));
        highest = std::max(highest, current);
        previous = current;
        current = getLe16(b + hdr::kBlockNext);
    }
    const std::uint16_t counted = std::max(getLe16(header() + hdr::kFileBlocks), highest);
    if (counted > whole) failDamaged();
    bool repaired = false;
    if (counted != getLe16(header() + hdr::kFileBlocks)) {
        for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kMaxBlocks})
            putLe16(header() + at, counted);
        repaired = true;
    }
    const std::size_t size = headerSize + counted * blockSize;
    if (db_.size() > size) {
        db_.shrink(size);
        repaired = true;
    }
    if (records != getLe32(header() + hdr::kRecordCount) ||
        previous != getLe16(header() + hdr::kLastBlock)) {
        putLe32(header() + hdr::kRecordCount, records);
        putLe16(header() + hdr::kLastBlock, previous);
        repaired = true;
    }
    db_.release(headerSize, db_.size());  // the walk touched every block
    return repaired;
}

bool WritableTable::cutUncountedIndexBlocks() {
    const IndexInfo index = parseIndexHeader(px_.data(), px_.size(), files_.name);
    const std::size_t size = static_cast<std::size_t>(index.headerSize) +
                             static_cast<std::size_t>(index.fileBlocks) * index.blockSize;
    if (px_.size() <= size) return false;
    px_.shrink(size);
    return true;
}

bool WritableTable::indexAgreesWithData() const {
    const PrimaryIndex& index = *index_;
    const std::uint16_t last = getLe16(header() + hdr::kLastBlock);
    if (index.empty() || last == 0) return index.empty() && last == 0;
    PrimaryIndex::Path path;
    index.rightmost(path);
    return index.dataBlock(path) == last &&
           index.totalRecords() ==
               static_cast<std::uint16_t>(getLe32(header() + hdr::kRecordCount));
}

void WritableTable::rebuildIndex() {
    PrimaryIndex& index = *index_;
    index.clear();
    PrimaryIndex::Path path;
    int previousRecords = 0;
    for (std::uint16_t current = getLe16(header() + hdr::kFirstBlock); current != 0;) {
        std::uint8_t* b = block(current);
        const int n = recordsIn(b);
        if (n > 0 && previousRecords == 0) {
            index.reserve(1);
            index.start(recordAt(b, 0), current, static_cast<std::uint16_t>(n));
        } else if (n > 0) {
            index.rightmost(path);
            index.reserve(index.blocksNeeded(path));
            index.addDataBlock(path, static_cast<std::uint16_t>(previousRecords), recordAt(b, 0),
                               current, 1);
            index.rightmost(path);
            for (int r = 1; r < n; ++r) index.addRecord(path);
        }
        if (n > 0) previousRecords = n;
        current = getLe16(b + hdr::kBlockNext);
    }
}

bool WritableTable::unchangedOnDisk() const {
    for (const Secondary& secondary : secondaries_)
        if (!secondary.data->unchangedOnDisk()) return false;
    if (!db_.unchangedOnDisk() ||
        std::memcmp(db_.data(), dbSnapshot_.data(), dbSnapshot_.size()) != 0)
        return false;
    if (info_.keyed() && std::memcmp(px_.data(), pxSnapshot_.data(), pxSnapshot_.size()) != 0)
        return false;
    return !mb_.isOpen() || mb_.unchangedOnDisk();
}

void WritableTable::failDamaged() const {
    fail("The table " + inQuotes(files_.name) +
         " is damaged (its blocks do not match its header); nothing was changed.");
}

std::uint8_t* WritableTable::block(std::uint16_t number) const {
    const std::size_t at = static_cast<std::size_t>(info_.headerSize) +
                           static_cast<std::size_t>(number - 1) * info_.blockSize;
    if (number == 0 || at + static_cast<std::size_t>(info_.blockSize) > db_.size()) failDamaged();
    return db_.data() + at;
}

int WritableTable::recordsIn(const std::uint8_t* b) const {
    const int add = getLe16s(b + hdr::kBlockAddDataSize);
    const int records = add < 0 ? 0 : add / info_.recordSize + 1;
    if (records > perBlock_) failDamaged();
    return records;
}

void WritableTable::setRecordsIn(std::uint8_t* b, int records) const {
    putLe16(b + hdr::kBlockAddDataSize,
            static_cast<std::uint16_t>((records - 1) * info_.recordSize));
}

std::uint16_t WritableTable::physicalBlocks() const {
    return static_cast<std::uint16_t>((db_.size() - static_cast<std::size_t>(info_.headerSize)) /
                                      static_cast<std::size_t>(info_.blockSize));
}

std::uint32_t WritableTable::nextAutoIncrement() const {
    return getLe32(header() + hdr::kAutoIncrement) + 1;
}

void WritableTable::reserveDataBlock() {
    if (info_.keyed() && physicalBlocks() >= kMaxBlocksKeyed)
        fail("The table " + inQuotes(files_.name) +
             " is full: a keyed Paradox table holds at most 32767 blocks of " +
             std::to_string(info_.blockSize / 1024) +
             " KB (CREATE TABLE ... ROWS n sizes the blocks for n rows).");
    if (physicalBlocks() >= kMaxBlocks)
        fail("The table " + inQuotes(files_.name) +
             " is full: a Paradox table holds at most 65535 blocks of " +
             std::to_string(info_.blockSize / 1024) + " KB.");
    db_.grow(db_.size() + static_cast<std::size_t>(info_.blockSize));
}

std::uint16_t WritableTable::addDataBlock() {
    const std::uint16_t number = physicalBlocks();  // the block reserveDataBlock() added
    std::uint8_t* b = block(number);
    std::memset(b, 0, static_cast<std::size_t>(info_.blockSize));
    setRecordsIn(b, 0);
    for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kMaxBlocks})
        putLe16(header() + at, static_cast<std::uint16_t>(getLe16(header() + at) + 1));
    if (db_.size() - releasedAt_ > kReleaseStep) {
        db_.release(static_cast<std::size_t>(info_.headerSize),
                    db_.size() - 2 * static_cast<std::size_t>(info_.blockSize));
        releasedAt_ = db_.size();
    }
    return number;
}

void WritableTable::storeBlobs(std::uint8_t* record, const std::vector<PendingBlob>& blobs) {
    if (blobs.empty()) return;
    mb_.begin();
    try {
        for (const auto& blob : blobs) {
            const FieldInfo& field = info_.fields[static_cast<std::size_t>(blob.field)];
            const BlobLocation location = mb_.store(blob.data);
            std::uint8_t* descriptor = record + field.offset + field.length - kBlobDescriptorLength;
            putLe32(descriptor, location.offsetAndIndex);
            putLe32(descriptor + 4, location.length);
            putLe16(descriptor + 8, location.modification);
        }
    } catch (...) {
        mb_.rollback();
        throw;
    }
}

void WritableTable::insert(std::uint8_t* record, const std::vector<PendingBlob>& blobs,
                           std::uint32_t autoIncrement) {
    if (!blobs.empty() && !mb_.isOpen()) {
        if (files_.mb.empty())
            fail("The blob file (.mb) of table " + inQuotes(files_.name) +
                 " is missing; memo and binary values cannot be stored.");
        mb_.open(files_.mb, files_.name);
    }
    splitTo_ = 0;
    if (getLe32(header() + hdr::kRecordCount) == 0 || getLe16(header() + hdr::kFirstBlock) == 0)
        insertFirst(record, blobs);
    else if (info_.keyed())
        insertKeyed(record, blobs);
    else
        insertUnkeyed(record, blobs);
    finishStatement(autoIncrement);
    if (!secondaries_.empty()) updateSecondaryIndexes(record);
}

void WritableTable::finishStatement(std::uint32_t autoIncrement) {
    putLe32(header() + hdr::kRecordCount, getLe32(header() + hdr::kRecordCount) + 1);
    if (autoIncrement > getLe32(header() + hdr::kAutoIncrement))
        putLe32(header() + hdr::kAutoIncrement, autoIncrement);
    countChange();
    if (mb_.isOpen()) mb_.commit();
    std::memcpy(dbSnapshot_.data(), db_.data(), dbSnapshot_.size());
    if (info_.keyed()) std::memcpy(pxSnapshot_.data(), px_.data(), pxSnapshot_.size());
}

// Borland's engine counts every change of a table in its header; the index keeps the
// table's count.
void WritableTable::countChange() {
    ++header()[hdr::kChangeCount1];
    if (info_.keyed()) px_.data()[hdr::kIndexChangeCount] = header()[hdr::kChangeCount1];
}

void WritableTable::resetToEmpty() {
    std::uint8_t* h = header();
    putLe32(h + hdr::kRecordCount, 0);
    for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kFirstBlock, hdr::kLastBlock,
                   hdr::kMaxBlocks, hdr::kFirstFreeBlock})
        putLe16(h + at, 0);
    db_.shrink(static_cast<std::size_t>(info_.headerSize));
    if (info_.keyed()) index_->clear();
}

void WritableTable::insertFirst(std::uint8_t* record, const std::vector<PendingBlob>& blobs) {
    if (getLe16(header() + hdr::kFileBlocks) != 0 || physicalBlocks() != 0 ||
        (info_.keyed() && !index_->empty()))
        resetToEmpty();  // blocks without records
    const std::size_t pxSize = info_.keyed() ? px_.size() : 0;
    reserveDataBlock();
    try {
        if (info_.keyed()) index_->reserve(1);
        storeBlobs(record, blobs);
    } catch (...) {
        resetToEmpty();
        if (info_.keyed() && px_.size() != pxSize) px_.shrink(pxSize);
        throw;
    }
    const std::uint16_t number = addDataBlock();
    std::uint8_t* b = block(number);
    std::memcpy(recordAt(b, 0), record, static_cast<std::size_t>(info_.recordSize));
    setRecordsIn(b, 1);
    putLe16(header() + hdr::kFirstBlock, number);
    putLe16(header() + hdr::kLastBlock, number);
    if (info_.keyed()) index_->start(record, number, 1);
    placedIn_ = number;
}

void WritableTable::insertUnkeyed(std::uint8_t* record, const std::vector<PendingBlob>& blobs) {
    const std::uint16_t tail = getLe16(header() + hdr::kLastBlock);
    std::uint8_t* b = block(tail);
    const int n = recordsIn(b);
    if (n < perBlock_) {
        storeBlobs(record, blobs);
        std::memcpy(recordAt(b, n), record, static_cast<std::size_t>(info_.recordSize));
        setRecordsIn(b, n + 1);
        return;
    }
    const std::size_t dbSize = db_.size();
    reserveDataBlock();
    try {
        storeBlobs(record, blobs);
    } catch (...) {
        db_.shrink(dbSize);
        throw;
    }
    const std::uint16_t number = addDataBlock();
    std::uint8_t* added = block(number);
    putLe16(added + hdr::kBlockPrev, tail);
    std::memcpy(recordAt(added, 0), record, static_cast<std::size_t>(info_.recordSize));
    setRecordsIn(added, 1);
    putLe16(block(tail) + hdr::kBlockNext, number);  // from here the chain holds the row
    putLe16(header() + hdr::kLastBlock, number);
}

void WritableTable::insertKeyed(std::uint8_t* record, const std::vector<PendingBlob>& blobs) {
    const KeyOrder& order = *order_;
    PrimaryIndex& index = *index_;
    PrimaryIndex::Path path;
    const std::uint16_t tail = getLe16(header() + hdr::kLastBlock);
    const int tailRecords = recordsIn(block(tail));
    const int againstLast =
        tailRecords > 0 ? order.compare(record, recordAt(block(tail), tailRecords - 1)) : -1;
    if (againstLast == 0) failDuplicate(record);

    std::uint16_t target;
    int n;
    int position;
    if (againstLast > 0) {  // keys arriving in ascending order go to the end
        index.rightmost(path);
        target = tail;
        n = tailRecords;
        position = n;
        if (index.dataBlock(path) != tail) failDamaged();
    } else {
        index.find(record, path);
        target = index.dataBlock(path);
        std::uint8_t* b = block(target);
        n = recordsIn(b);
        int low = 0, high = n;
        while (low < high) {
            const int mid = (low + high) / 2;
            if (order.compare(recordAt(b, mid), record) < 0)
                low = mid + 1;
            else
                high = mid;
        }
        position = low;
        if (position < n && order.compare(recordAt(b, position), record) == 0)
            failDuplicate(record);
    }
    const auto size = static_cast<std::size_t>(info_.recordSize);
    if (n < perBlock_) {
        storeBlobs(record, blobs);
        std::uint8_t* b = block(target);
        std::uint8_t* at = recordAt(b, position);
        std::memmove(at + size, at, static_cast<std::size_t>(n - position) * size);
        std::memcpy(at, record, size);
        setRecordsIn(b, n + 1);
        if (position == 0) index.setFirstKey(path, record);
        index.addRecord(path);
        placedIn_ = target;
        return;
    }

    // A full block: a new block follows it, empty at the end of the table, otherwise
    // taking the upper half of the records.
    const std::size_t dbSize = db_.size();
    const std::size_t pxSize = px_.size();
    reserveDataBlock();
    try {
        index.reserve(index.blocksNeeded(path));
        storeBlobs(record, blobs);
    } catch (...) {
        db_.shrink(dbSize);
        if (px_.size() != pxSize) px_.shrink(pxSize);
        throw;
    }
    const bool append = target == tail && position == n;
    const int keep = append ? n : (n + 2) / 2;
    std::uint8_t* all = scratch_.data();
    std::memcpy(all, recordAt(block(target), 0), static_cast<std::size_t>(position) * size);
    std::memcpy(all + static_cast<std::size_t>(position) * size, record, size);
    std::memcpy(all + static_cast<std::size_t>(position + 1) * size,
                recordAt(block(target), position), static_cast<std::size_t>(n - position) * size);
    if (position == 0) index.setFirstKey(path, record);

    const std::uint16_t number = addDataBlock();
    std::uint8_t* b = block(target);
    std::uint8_t* added = block(number);
    const std::uint16_t next = getLe16(b + hdr::kBlockNext);
    // The new block is complete before the chain reaches it; rows move out of the full
    // block only after that, so a kill never loses one (in a split in the middle of the
    // table it may leave one shown twice, which the check then finds).
    const int moved = n + 1 - keep;
    putLe16(added + hdr::kBlockPrev, target);
    putLe16(added + hdr::kBlockNext, next);
    std::memcpy(recordAt(added, 0), all + static_cast<std::size_t>(keep) * size,
                static_cast<std::size_t>(moved) * size);
    setRecordsIn(added, moved);
    putLe16(b + hdr::kBlockNext, number);
    if (next != 0)
        putLe16(block(next) + hdr::kBlockPrev, number);
    else
        putLe16(header() + hdr::kLastBlock, number);
    if (!append) {
        std::memcpy(recordAt(b, 0), all, static_cast<std::size_t>(keep) * size);
        setRecordsIn(b, keep);
        std::memset(recordAt(b, keep), 0,
                    static_cast<std::size_t>(info_.blockSize - hdr::kBlockHeaderSize) -
                        static_cast<std::size_t>(keep) * size);
    }
    index.addDataBlock(path, static_cast<std::uint16_t>(keep), recordAt(added, 0), number,
                       static_cast<std::uint16_t>(moved));
    placedIn_ = position < keep ? target : number;
    if (!append) splitTo_ = number;
}

void WritableTable::deleteAll() {
    for (Secondary& secondary : secondaries_) secondary.data->deleteAll();
    if (!files_.mb.empty() && !mb_.isOpen()) mb_.open(files_.mb, files_.name);
    resetToEmpty();
    countChange();
    if (mb_.isOpen()) mb_.clear();
    std::memcpy(dbSnapshot_.data(), db_.data(), dbSnapshot_.size());
    if (info_.keyed()) std::memcpy(pxSnapshot_.data(), px_.data(), pxSnapshot_.size());
}

std::string WritableTable::describeKey(const std::uint8_t* record) const {
    std::string text;
    for (int i = 0; i < info_.keyFields; ++i) {
        const FieldInfo& field = info_.fields[static_cast<std::size_t>(i)];
        if (i > 0) text += ", ";
        text += inQuotes(field.name) + " = " +
                displayText(decodeFixedField(record, field, info_.codePage));
    }
    return text;
}

std::uint8_t* WritableTable::findRecord(const std::uint8_t* key) const {
    if (!info_.keyed() || index_->empty() || getLe32(header() + hdr::kRecordCount) == 0)
        return nullptr;
    PrimaryIndex::Path path;
    index_->find(key, path);
    std::uint8_t* b = block(index_->dataBlock(path));
    int low = 0, high = recordsIn(b);
    while (low < high) {
        const int mid = (low + high) / 2;
        if (order_->compare(recordAt(b, mid), key) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < recordsIn(b) && order_->compare(recordAt(b, low), key) == 0) return recordAt(b, low);
    return nullptr;
}

void WritableTable::failDuplicate(const std::uint8_t* record) const {
    fail("The table " + inQuotes(files_.name) + " already has a row with the key " +
         describeKey(record) + "; a keyed table cannot hold two rows with the same key.");
}

}  // namespace velmora::paradox

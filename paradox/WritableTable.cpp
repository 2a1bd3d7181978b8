#include "paradox/WritableTable.h"

#include <cstring>

#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

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

WritableTable::WritableTable(const TableFiles& files) : files_(files) {
    db_.open(files.db, kReserve, files.name);
    info_ = parseTableHeader(db_.data(), db_.size(), files.name);
    const std::size_t dataBytes = db_.size() - static_cast<std::size_t>(info_.headerSize);
    if (dataBytes % static_cast<std::size_t>(info_.blockSize) != 0) failDamaged();
    perBlock_ = info_.recordsPerBlock();
    if (info_.keyed()) {
        if (files.px.empty())
            fail("The primary index file (.px) of the keyed table " + inQuotes(files.name) +
                 " is missing; the table cannot be changed.");
        px_.open(files.px, kReserve, files.name);
        order_.emplace(info_);
        index_.emplace(px_, *order_, files.name);
        pxSnapshot_ = snapshot(px_, kPxSnapshot);
    }
    scratch_.resize(static_cast<std::size_t>(info_.recordSize) *
                    static_cast<std::size_t>(perBlock_ + 1));
    dbSnapshot_ = snapshot(db_, kDbSnapshot);
    verifyChain();
}

// Writing follows the header and the chain, so they must agree before anything changes.
void WritableTable::verifyChain() {
    const std::uint16_t blocks = physicalBlocks();
    std::vector<bool> seen(static_cast<std::size_t>(blocks) + 1, false);
    std::uint16_t previous = 0;
    std::uint16_t current = getLe16(header() + hdr::kFirstBlock);
    std::uint64_t records = 0;
    while (current != 0) {
        if (current > blocks || seen[current]) failDamaged();
        seen[current] = true;
        const std::uint8_t* b = block(current);
        if (getLe16(b + hdr::kBlockPrev) != previous) failDamaged();
        records += static_cast<std::uint64_t>(recordsIn(b));
        previous = current;
        current = getLe16(b + hdr::kBlockNext);
    }
    if (previous != getLe16(header() + hdr::kLastBlock) ||
        records != getLe32(header() + hdr::kRecordCount))
        failDamaged();
    db_.release(static_cast<std::size_t>(info_.headerSize),
                db_.size());  // the walk touched every block
}

bool WritableTable::unchangedOnDisk() const {
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
    if (getLe32(header() + hdr::kRecordCount) == 0 || getLe16(header() + hdr::kFirstBlock) == 0)
        insertFirst(record, blobs);
    else if (info_.keyed())
        insertKeyed(record, blobs);
    else
        insertUnkeyed(record, blobs);
    finishStatement(autoIncrement);
}

void WritableTable::finishStatement(std::uint32_t autoIncrement) {
    putLe32(header() + hdr::kRecordCount, getLe32(header() + hdr::kRecordCount) + 1);
    if (autoIncrement > getLe32(header() + hdr::kAutoIncrement))
        putLe32(header() + hdr::kAutoIncrement, autoIncrement);
    if (mb_.isOpen()) mb_.commit();
    std::memcpy(dbSnapshot_.data(), db_.data(), dbSnapshot_.size());
    if (info_.keyed()) std::memcpy(pxSnapshot_.data(), px_.data(), pxSnapshot_.size());
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
    putLe16(block(tail) + hdr::kBlockNext, number);
    putLe16(added + hdr::kBlockPrev, tail);
    putLe16(header() + hdr::kLastBlock, number);
    std::memcpy(recordAt(added, 0), record, static_cast<std::size_t>(info_.recordSize));
    setRecordsIn(added, 1);
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
    putLe16(added + hdr::kBlockPrev, target);
    putLe16(added + hdr::kBlockNext, next);
    putLe16(b + hdr::kBlockNext, number);
    if (next != 0)
        putLe16(block(next) + hdr::kBlockPrev, number);
    else
        putLe16(header() + hdr::kLastBlock, number);

    std::memset(recordAt(b, 0), 0,
                static_cast<std::size_t>(info_.blockSize - hdr::kBlockHeaderSize));
    std::memcpy(recordAt(b, 0), all, static_cast<std::size_t>(keep) * size);
    setRecordsIn(b, keep);
    const int moved = n + 1 - keep;
    std::memcpy(recordAt(added, 0), all + static_cast<std::size_t>(keep) * size,
                static_cast<std::size_t>(moved) * size);
    setRecordsIn(added, moved);
    index.addDataBlock(path, static_cast<std::uint16_t>(keep), recordAt(added, 0), number,
                       static_cast<std::uint16_t>(moved));
}

void WritableTable::deleteAll() {
    if (!files_.mb.empty() && !mb_.isOpen()) mb_.open(files_.mb, files_.name);
    resetToEmpty();
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

void WritableTable::failDuplicate(const std::uint8_t* record) const {
    fail("The table " + inQuotes(files_.name) + " already has a row with the key " +
         describeKey(record) + "; a keyed table cannot hold two rows with the same key.");
}

}  // namespace velmora::paradox

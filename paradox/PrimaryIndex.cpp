#include "paradox/PrimaryIndex.h"

#include <algorithm>
#include <cstring>

#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

namespace {
constexpr int kMaxBlocks = 0xFFFF;
// Index entry numbers are stored like Short fields: big-endian with the top bit flipped.
void putNumber(std::uint8_t* p, std::uint16_t value) {
    putBe16(p, static_cast<std::uint16_t>(value ^ 0x8000u));
}
std::uint16_t getNumber(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(getBe16(p) ^ 0x8000u);
}
}  // namespace

PrimaryIndex::PrimaryIndex(MappedFile& file, const KeyOrder& order, const std::string& label)
    : file_(file), order_(order), label_(label) {
    const IndexInfo info = parseIndexHeader(file.data(), file.size(), label);
    keyLength_ = order.length();
    recordSize_ = info.recordSize;
    headerSize_ = info.headerSize;
    blockSize_ = info.blockSize;
    if (recordSize_ != keyLength_ + 6)
        fail("The primary index of table " + inQuotes(label) +
             " does not match the table's key; rebuild the index.");
    capacity_ = (blockSize_ - hdr::kBlockHeaderSize) / recordSize_;
    const std::size_t blocks = (file.size() - static_cast<std::size_t>(headerSize_)) /
                               static_cast<std::size_t>(blockSize_);
    if (blocks != info.fileBlocks ||
        file.size() !=
            static_cast<std::size_t>(headerSize_) + blocks * static_cast<std::size_t>(blockSize_))
        fail("The primary index of table " + inQuotes(label) +
             " does not match its file size; rebuild the index.");
}

// Borland's engine leaves the root at 1 with no levels in an empty index.
bool PrimaryIndex::empty() const {
    return getLe16(header() + hdr::kIndexRoot) == 0 || levels() == 0;
}
int PrimaryIndex::levels() const {
    return header()[hdr::kIndexLevels];
}
std::uint32_t PrimaryIndex::entryCount() const {
    return getLe32(header() + hdr::kRecordCount);
}

std::uint16_t PrimaryIndex::totalRecords() const {
    return empty() ? 0 : sumOf(getLe16(header() + hdr::kIndexRoot));
}

std::uint8_t* PrimaryIndex::entryAt(std::uint16_t number, int index) const {
    return block(number) + hdr::kBlockHeaderSize + index * recordSize_;
}

int PrimaryIndex::countIn(std::uint16_t number) const {
    const int add = getLe16s(block(number) + hdr::kBlockAddDataSize);
    const int count = add < 0 ? 0 : add / recordSize_ + 1;
    if (count > capacity_)
        fail("The primary index of table " + inQuotes(label_) + " is damaged; rebuild the index.");
    return count;
}

void PrimaryIndex::setCountIn(std::uint16_t number, int entries) {
    putLe16(block(number) + hdr::kBlockAddDataSize,
            static_cast<std::uint16_t>((entries - 1) * recordSize_));
}

std::uint16_t PrimaryIndex::entryCountOf(const std::uint8_t* entry) const {
    return getNumber(entry + keyLength_ + 2);
}
void PrimaryIndex::setEntryCount(std::uint8_t* entry, std::uint16_t count) const {
    putNumber(entry + keyLength_ + 2, count);
}
std::uint16_t PrimaryIndex::childOf(const std::uint8_t* entry) const {
    return getNumber(entry + keyLength_);
}

void PrimaryIndex::writeEntry(std::uint8_t* at, const std::uint8_t* key, std::uint16_t child,
                              std::uint16_t count) const {
    // Other readers take block numbers for signed Shorts: from 32,768 on they read a
    // blank or a negative block, so no entry may point there (a keyed table stops at
    // 32,767 data blocks).
    if (child > kMaxBlocksKeyed)
        fail("A primary index cannot refer to block " + std::to_string(child) +
             "; a keyed Paradox table holds at most 32767 blocks.");
    std::memmove(at, key, static_cast<std::size_t>(keyLength_));
    putNumber(at + keyLength_, child);
    putNumber(at + keyLength_ + 2, count);
    putNumber(at + keyLength_ + 4, 0);
}

std::uint16_t PrimaryIndex::sumOf(std::uint16_t number) const {
    std::uint16_t sum = 0;  // counts wrap at 16 bits, as the field does
    const int n = countIn(number);
    for (int i = 0; i < n; ++i)
        sum = static_cast<std::uint16_t>(sum + entryCountOf(entryAt(number, i)));
    return sum;
}

std::uint16_t PrimaryIndex::startDescent(Path& path) const {
    path.depth = levels();
    if (path.depth < 1 || path.depth > kMaxDepth || empty()) failDamaged();
    return getLe16(header() + hdr::kIndexRoot);
}

int PrimaryIndex::entriesOnPath(std::uint16_t block) const {
    const int n = countIn(block);
    if (n == 0) failDamaged();
    return n;
}

void PrimaryIndex::failDamaged() const {
    fail("The primary index of table " + inQuotes(label_) + " is damaged; rebuild the index.");
}

void PrimaryIndex::find(const std::uint8_t* key, Path& path) const {
    std::uint16_t current = startDescent(path);
    for (int d = 0; d < path.depth; ++d) {
        const int n = entriesOnPath(current);
        // The last entry whose key is not above `key` (the first entry when all are).
        int low = 1, high = n;
        while (low < high) {
            const int mid = (low + high) / 2;
            if (order_.compare(entryAt(current, mid), key) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        const int chosen = low - 1;
        path.block[d] = current;
        path.entry[d] = chosen;
        current = childOf(entryAt(current, chosen));
    }
}

void PrimaryIndex::rightmost(Path& path) const {
    std::uint16_t current = startDescent(path);
    for (int d = 0; d < path.depth; ++d) {
        const int n = entriesOnPath(current);
        path.block[d] = current;
        path.entry[d] = n - 1;
        current = childOf(entryAt(current, n - 1));
    }
}

std::uint16_t PrimaryIndex::dataBlock(const Path& path) const {
    return childOf(entryAt(path.block[path.depth - 1], path.entry[path.depth - 1]));
}

int PrimaryIndex::blocksNeeded(const Path& path) const {
    int needed = 0;
    for (int d = path.depth - 1; d >= 0; --d) {
        if (countIn(path.block[d]) < capacity_) return needed;
        ++needed;
    }
    return needed + 1;  // the root splits too: a new root above it
}

void PrimaryIndex::reserve(int blocks) {
    if (blocks == 0) return;
    const std::size_t used = (file_.size() - static_cast<std::size_t>(headerSize_)) /
                             static_cast<std::size_t>(blockSize_);
    if (used + static_cast<std::size_t>(blocks) > kMaxBlocks)
        fail("The primary index of table " + inQuotes(label_) + " is full (65535 blocks).");
    file_.grow(file_.size() + static_cast<std::size_t>(blocks) * blockSize_);
}

std::uint16_t PrimaryIndex::newBlock() {
    const auto number = static_cast<std::uint16_t>(getLe16(header() + hdr::kFileBlocks) + 1);
    std::uint8_t* b = block(number);  // space reserved beforehand
    std::memset(b, 0, static_cast<std::size_t>(blockSize_));
    putLe16(b + hdr::kBlockAddDataSize, static_cast<std::uint16_t>(-recordSize_));
    putLe16(header() + hdr::kFileBlocks, number);
    putLe16(header() + hdr::kNextBlock, number);
    putLe16(header() + hdr::kMaxBlocks, number);
    return number;
}

void PrimaryIndex::linkAfter(std::uint16_t existing, std::uint16_t added) {
    std::uint8_t* before = block(existing);
    const std::uint16_t next = getLe16(before + hdr::kBlockNext);
    putLe16(block(added) + hdr::kBlockPrev, existing);
    putLe16(block(added) + hdr::kBlockNext, next);
    putLe16(before + hdr::kBlockNext, added);
    if (next != 0)
        putLe16(block(next) + hdr::kBlockPrev, added);
    else
        putLe16(header() + hdr::kLastBlock, added);
}

void PrimaryIndex::linkFirst(std::uint16_t added) {
    const std::uint16_t first = getLe16(header() + hdr::kFirstBlock);
    putLe16(block(added) + hdr::kBlockPrev, 0);
    putLe16(block(added) + hdr::kBlockNext, first);
    if (first != 0)
        putLe16(block(first) + hdr::kBlockPrev, added);
    else
        putLe16(header() + hdr::kLastBlock, added);
    putLe16(header() + hdr::kFirstBlock, added);
}

void PrimaryIndex::addEntries(int delta) {
    putLe32(header() + hdr::kRecordCount,
            static_cast<std::uint32_t>(static_cast<int>(entryCount()) + delta));
}

void PrimaryIndex::addRecord(const Path& path) {
    for (int d = 0; d < path.depth; ++d) {
        std::uint8_t* entry = entryAt(path.block[d], path.entry[d]);
        setEntryCount(entry, static_cast<std::uint16_t>(entryCountOf(entry) + 1));
    }
}

void PrimaryIndex::addDataBlock(const Path& path, std::uint16_t count, const std::uint8_t* newKey,
                                std::uint16_t newBlock, std::uint16_t newCount) {
    for (int d = 0; d + 1 < path.depth; ++d) {
        std::uint8_t* entry = entryAt(path.block[d], path.entry[d]);
        setEntryCount(entry, static_cast<std::uint16_t>(entryCountOf(entry) + 1));
    }
    setEntryCount(entryAt(path.block[path.depth - 1], path.entry[path.depth - 1]), count);
    insertEntry(path, path.depth - 1, newKey, newBlock, newCount);
}

void PrimaryIndex::insertEntry(const Path& path, int depth, const std::uint8_t* key,
                               std::uint16_t child, std::uint16_t count) {
    const std::uint16_t current = path.block[depth];
    const int n = countIn(current);
    const int position = path.entry[depth] + 1;
    addEntries(1);
    if (n < capacity_) {
        std::uint8_t* at = entryAt(current, position);
        std::memmove(at + recordSize_, at, static_cast<std::size_t>((n - position) * recordSize_));
        writeEntry(at, key, child, count);
        setCountIn(current, n + 1);
        return;
    }
    // Split: the first half stays, the rest moves to a new block right after it.
    const auto size = static_cast<std::size_t>(recordSize_);
    scratch_.resize(static_cast<std::size_t>(n + 1) * size);
    std::uint8_t* all = scratch_.data();
    std::memcpy(all, entryAt(current, 0), static_cast<std::size_t>(position) * size);
    writeEntry(all + static_cast<std::size_t>(position) * size, key, child, count);
    std::memcpy(all + static_cast<std::size_t>(position + 1) * size, entryAt(current, position),
                static_cast<std::size_t>(n - position) * size);
    const int keep = (n + 2) / 2;
    const std::uint16_t sibling = newBlock();
    linkAfter(current, sibling);
    std::uint8_t* area = entryAt(current, 0);
    std::memset(area, 0, static_cast<std::size_t>(blockSize_ - hdr::kBlockHeaderSize));
    std::memcpy(area, all, static_cast<std::size_t>(keep) * size);
    setCountIn(current, keep);
    std::memcpy(entryAt(sibling, 0), all + static_cast<std::size_t>(keep) * size,
                static_cast<std::size_t>(n + 1 - keep) * size);
    setCountIn(sibling, n + 1 - keep);
    if (depth == 0) {
        const std::uint16_t root = newBlock();
        linkFirst(root);
        writeEntry(entryAt(root, 0), entryAt(current, 0), current, sumOf(current));
        writeEntry(entryAt(root, 1), entryAt(sibling, 0), sibling, sumOf(sibling));
        setCountIn(root, 2);
        addEntries(2);
        putLe16(header() + hdr::kIndexRoot, root);
        header()[hdr::kIndexLevels] = static_cast<std::uint8_t>(levels() + 1);
        return;
    }
    setEntryCount(entryAt(path.block[depth - 1], path.entry[depth - 1]), sumOf(current));
    insertEntry(path, depth - 1, entryAt(sibling, 0), sibling, sumOf(sibling));
}

void PrimaryIndex::setFirstKey(const Path& path, const std::uint8_t* key) {
    for (int d = path.depth - 1; d >= 0; --d) {
        std::memcpy(entryAt(path.block[d], path.entry[d]), key,
                    static_cast<std::size_t>(keyLength_));
        if (path.entry[d] != 0) return;
    }
}

void PrimaryIndex::start(const std::uint8_t* key, std::uint16_t dataBlock, std::uint16_t count) {
    const std::uint16_t root = newBlock();
    linkFirst(root);
    writeEntry(entryAt(root, 0), key, dataBlock, count);
    setCountIn(root, 1);
    putLe32(header() + hdr::kRecordCount, 1);
    putLe16(header() + hdr::kIndexRoot, root);
    header()[hdr::kIndexLevels] = 1;
}

void PrimaryIndex::clear() {
    std::uint8_t* h = header();
    putLe32(h + hdr::kRecordCount, 0);
    for (int at : {hdr::kNextBlock, hdr::kFileBlocks, hdr::kFirstBlock, hdr::kLastBlock,
                   hdr::kMaxBlocks, hdr::kIndexRoot})
        putLe16(h + at, 0);
    h[hdr::kIndexLevels] = 0;
    file_.shrink(static_cast<std::size_t>(headerSize_));
}

}  // namespace velmora::paradox

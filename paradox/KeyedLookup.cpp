#include "paradox/KeyedLookup.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace {
std::uint16_t entryNumber(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(getBe16(p) ^ 0x8000u);
}
// Records in a block, or -1 when the block claims more than it can hold.
int countIn(const std::uint8_t* block, int recordSize, int blockSize) {
    const int add = getLe16s(block + hdr::kBlockAddDataSize);
    const int n = add < 0 ? 0 : add / recordSize + 1;
    return n > (blockSize - hdr::kBlockHeaderSize) / recordSize ? -1 : n;
}
// A binary search over positions `first` to `count` of a block in order ends at the one
// position whose key before it `passed` (or that is the first) and whose own key did not
// (or that is past the last). Tries the last search's position and the next: -1 when the
// key lies elsewhere.
template <typename Passed>
int nearLast(int last, int first, int count, const Passed& passed) {
    if (last > first && !passed(last - 1)) return -1;
    if (last == count || !passed(last)) return last;
    if (last + 1 == count || !passed(last + 1)) return last + 1;
    return -1;
}
}  // namespace

KeyedLookup::Mapping KeyedLookup::map(const std::filesystem::path& path, const std::string& label) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failSystem("Reading table " + inQuotes(label), errno);
    struct stat st {};
    Mapping m;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        void* p =
            ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED)
            m = {static_cast<const std::uint8_t*>(p), static_cast<std::size_t>(st.st_size)};
    }
    const int error = errno;
    ::close(fd);
    if (m.data == nullptr) failSystem("Reading table " + inQuotes(label), error);
    return m;
}

KeyedLookup::KeyedLookup(const std::filesystem::path& data, const std::filesystem::path& index,
                         bool indexData, const std::string& label)
    : label_(label) {
    data_ = map(data, label);
    try {
        info_ = indexData ? parseIndexDataHeader(data_.data, data_.size, label)
                          : parseTableHeader(data_.data, data_.size, label);
        if (!info_.keyed() || index.empty())
            fail("The table " + inQuotes(label) + " has no primary index to look rows up by.");
        index_ = map(index, label);
        indexInfo_ = parseIndexHeader(index_.data, index_.size, label);
        order_.emplace(info_);
        if (indexInfo_.recordSize != order_->length() + 6) damaged();
    } catch (...) {
        ::munmap(const_cast<std::uint8_t*>(data_.data), data_.size);
        if (index_.data) ::munmap(const_cast<std::uint8_t*>(index_.data), index_.size);
        throw;
    }
}

KeyedLookup::~KeyedLookup() {
    ::munmap(const_cast<std::uint8_t*>(data_.data), data_.size);
    ::munmap(const_cast<std::uint8_t*>(index_.data), index_.size);
}

void KeyedLookup::damaged() const {
    fail("The index of table " + inQuotes(label_) + " is damaged; rebuild the index.");
}

const std::uint8_t* KeyedLookup::block(const Mapping& file, int headerSize, int blockSize,
                                       std::uint16_t number) const {
    const std::size_t at =
        static_cast<std::size_t>(headerSize) +
        static_cast<std::size_t>(number - 1) * static_cast<std::size_t>(blockSize);
    if (number == 0 || at + static_cast<std::size_t>(blockSize) > file.size) damaged();
    return file.data + at;
}

std::uint32_t KeyedLookup::recordCount() const {
    return getLe32(data_.data + hdr::kRecordCount);
}

int KeyedLookup::entryPosition(const std::uint8_t* block, int count,
                               const std::uint8_t* key) const {
    // After the last entry whose key is not above `key` (the first when all are).
    int low = 1, high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (order_->compare(entry(block, mid), key) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int KeyedLookup::recordPosition(const std::uint8_t* block, int count,
                                const std::uint8_t* key) const {
    int low = 0, high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (order_->compare(record(block, mid), key) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

const std::uint8_t* KeyedLookup::find(const std::uint8_t* key, std::uint16_t* blockNumber) const {
    std::uint16_t current = getLe16(index_.data + hdr::kIndexRoot);
    const int levels = index_.data[hdr::kIndexLevels];
    if (current == 0 || levels == 0 || recordCount() == 0) return nullptr;
    for (int level = 0; level < levels; ++level) {
        const std::uint8_t* b = block(index_, indexInfo_.headerSize, indexInfo_.blockSize, current);
        const int n = countIn(b, indexInfo_.recordSize, indexInfo_.blockSize);
        if (n <= 0) damaged();
        current = entryNumber(entry(b, entryPosition(b, n, key) - 1) + order_->length());
    }
    const std::uint8_t* b = block(data_, info_.headerSize, info_.blockSize, current);
    const int n = countIn(b, info_.recordSize, info_.blockSize);
    if (n < 0) damaged();
    const int position = recordPosition(b, n, key);
    if (position >= n || order_->compare(record(b, position), key) != 0) return nullptr;
    if (blockNumber) *blockNumber = current;
    return record(b, position);
}

KeyedLookup::InOrderSearch::InOrderSearch(const KeyedLookup& lookup)
    : lookup_(lookup), indexBlocks_(1u << 16), dataBlocks_(1u << 16) {}

void KeyedLookup::InOrderSearch::enter(Step& step, std::uint16_t number, bool index) {
    if (step.number == number) return;
    const KeyedLookup& l = lookup_;
    const IndexInfo& layout = l.indexInfo_;
    step.number = 0;  // a damaged block is not kept
    step.block = index ? l.block(l.index_, layout.headerSize, layout.blockSize, number)
                       : l.block(l.data_, l.info_.headerSize, l.info_.blockSize, number);
    step.count = index ? countIn(step.block, layout.recordSize, layout.blockSize)
                       : countIn(step.block, l.info_.recordSize, l.info_.blockSize);
    if (step.count < (index ? 1 : 0)) l.damaged();
    std::int8_t& known = (index ? indexBlocks_ : dataBlocks_)[number];
    if (known == 0) known = inOrder(step, index) ? 1 : -1;
    step.inOrder = known > 0;
    step.position = index ? 1 : 0;
    step.number = number;
}

// The keys the binary search compares, in order: then the position where it ends is the
// only one with a key not above it before and a key above it after, wherever it starts.
bool KeyedLookup::InOrderSearch::inOrder(const Step& step, bool index) const {
    const KeyedLookup& l = lookup_;
    for (int i = index ? 2 : 1; i < step.count; ++i) {
        const std::uint8_t* before =
            index ? l.entry(step.block, i - 1) : l.record(step.block, i - 1);
        const std::uint8_t* at = index ? l.entry(step.block, i) : l.record(step.block, i);
        if (l.order_->compare(before, at) > 0) return false;
    }
    return true;
}

const std::uint8_t* KeyedLookup::InOrderSearch::find(const std::uint8_t* key,
                                                     std::uint16_t* blockNumber) {
    const KeyedLookup& l = lookup_;
    const KeyOrder& order = *l.order_;
    std::uint16_t current = getLe16(l.index_.data + hdr::kIndexRoot);
    const int levels = l.index_.data[hdr::kIndexLevels];
    if (current == 0 || levels == 0 || l.recordCount() == 0) return nullptr;
    path_.resize(static_cast<std::size_t>(levels) + 1);
    for (int level = 0; level < levels; ++level) {
        Step& step = path_[static_cast<std::size_t>(level)];
        enter(step, current, true);
        const auto notAbove = [&](int p) {
            return order.compare(l.entry(step.block, p), key) <= 0;
        };
        const int near = step.inOrder ? nearLast(step.position, 1, step.count, notAbove) : -1;
        step.position = near >= 0 ? near : l.entryPosition(step.block, step.count, key);
        current = entryNumber(l.entry(step.block, step.position - 1) + order.length());
    }
    Step& step = path_.back();
    enter(step, current, false);
    const auto below = [&](int p) { return order.compare(l.record(step.block, p), key) < 0; };
    const int near = step.inOrder ? nearLast(step.position, 0, step.count, below) : -1;
    step.position = near >= 0 ? near : l.recordPosition(step.block, step.count, key);
    const std::uint8_t* found = l.record(step.block, step.position);
    if (step.position >= step.count || order.compare(found, key) != 0) return nullptr;
    if (blockNumber) *blockNumber = current;
    return found;
}

void KeyedLookup::forEach(
    const std::function<void(const std::uint8_t*, std::uint16_t)>& visit) const {
    std::size_t seen = 0;
    const std::size_t blocks = (data_.size - static_cast<std::size_t>(info_.headerSize)) /
                               static_cast<std::size_t>(info_.blockSize);
    for (std::uint16_t current = getLe16(data_.data + hdr::kFirstBlock); current != 0;) {
        if (++seen > blocks) damaged();
        const std::uint8_t* b = block(data_, info_.headerSize, info_.blockSize, current);
        const int n = countIn(b, info_.recordSize, info_.blockSize);
        if (n < 0) damaged();
        for (int i = 0; i < n; ++i)
            visit(b + hdr::kBlockHeaderSize + i * info_.recordSize, current);
        current = getLe16(b + hdr::kBlockNext);
    }
}

}  // namespace velmora::paradox

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

const std::uint8_t* KeyedLookup::find(const std::uint8_t* key, std::uint16_t* blockNumber) const {
    const KeyOrder& order = *order_;
    const int keyLength = order.length();
    std::uint16_t current = getLe16(index_.data + hdr::kIndexRoot);
    const int levels = index_.data[hdr::kIndexLevels];
    if (current == 0 || levels == 0 || recordCount() == 0) return nullptr;
    for (int level = 0; level < levels; ++level) {
        const std::uint8_t* b = block(index_, indexInfo_.headerSize, indexInfo_.blockSize, current);
        const int n = countIn(b, indexInfo_.recordSize, indexInfo_.blockSize);
        if (n <= 0) damaged();
        // The last entry whose key is not above `key` (the first when all are).
        int low = 1, high = n;
        while (low < high) {
            const int mid = (low + high) / 2;
            const std::uint8_t* entry = b + hdr::kBlockHeaderSize + mid * indexInfo_.recordSize;
            if (order.compare(entry, key) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        current =
            entryNumber(b + hdr::kBlockHeaderSize + (low - 1) * indexInfo_.recordSize + keyLength);
    }
    const std::uint8_t* b = block(data_, info_.headerSize, info_.blockSize, current);
    const int n = countIn(b, info_.recordSize, info_.blockSize);
    if (n < 0) damaged();
    int low = 0, high = n;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (order.compare(b + hdr::kBlockHeaderSize + mid * info_.recordSize, key) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    const std::uint8_t* record = b + hdr::kBlockHeaderSize + low * info_.recordSize;
    if (low >= n || order.compare(record, key) != 0) return nullptr;
    if (blockNumber) *blockNumber = current;
    return record;
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

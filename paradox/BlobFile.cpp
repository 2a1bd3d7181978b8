#include "paradox/BlobFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderWriter.h"
#include "paradox/MappedFile.h"

namespace velmora::paradox {

namespace {
constexpr int kChunk = 16;
constexpr int kSlots = 64;
constexpr int kSharedHeader = 12;
constexpr int kFirstDataChunk = 0x150 / kChunk;  // after the header and the 64 slot entries
constexpr int kChunksPerBlock = kBlobBlockSize / kChunk;
constexpr std::size_t kLargeValue = 2048;  // longer values get blocks of their own
constexpr int kSingleHeader = 9;
constexpr std::uint16_t kModification = 1;
constexpr std::uint64_t kMaxBlobFile = 0xFFFFFF00u;  // offsets must fit 24 bits of blocks

[[noreturn]] void damagedBlob(const std::string& label) {
    fail("A memo or binary value of table " + inQuotes(label) +
         " cannot be read: the .mb file is damaged.");
}

void readExactly(int fd, void* buffer, std::size_t length, std::uint64_t at,
                 const std::string& label) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t got = pread(fd, p, length, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) damagedBlob(label);
        p += got;
        at += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
}
}  // namespace

BlobWriter::~BlobWriter() {
    close();
}

void BlobWriter::open(const std::filesystem::path& path, const std::string& label) {
    close();
    fd_ = openLockedForWriting(path, label);
    label_ = label;
    struct stat st {};
    fstat(fd_, &st);
    size_ = static_cast<std::uint64_t>(st.st_size);
    if (size_ < static_cast<std::uint64_t>(kBlobBlockSize)) {
        close();
        fail("The blob file of table " + inQuotes(label) + " is damaged.");
    }
    sharedBlock_ = 0;
    nextSlot_ = -1;
}

void BlobWriter::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool BlobWriter::unchangedOnDisk() const {
    struct stat st {};
    return fstat(fd_, &st) == 0 && st.st_nlink > 0 &&
           static_cast<std::uint64_t>(st.st_size) == size_;
}

void BlobWriter::write(const void* data, std::size_t length, std::uint64_t at) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        const ssize_t written = pwrite(fd_, p, length, static_cast<off_t>(at));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            rollback();
            failSystem("Writing to the blob file of " + inQuotes(label_), error);
        }
        p += written;
        at += static_cast<std::uint64_t>(written);
        length -= static_cast<std::size_t>(written);
    }
}

void BlobWriter::begin() {
    undo_.clear();
    sizeAtStart_ = size_;
    sharedBlockAtStart_ = sharedBlock_;
    sharedStateAtStart_[0] = nextChunk_;
    sharedStateAtStart_[1] = nextSlot_;
}

BlobLocation BlobWriter::store(std::string_view value) {
    BlobLocation location;
    location.length = static_cast<std::uint32_t>(value.size());
    location.modification = kModification;
    const std::uint64_t end = (size_ + kBlobBlockSize - 1) / kBlobBlockSize * kBlobBlockSize;
    if (value.size() > kLargeValue) {
        const std::uint64_t total = kSingleHeader + value.size();
        const std::uint64_t blocks = (total + kBlobBlockSize - 1) / kBlobBlockSize;
        if (blocks > 0xFFFF || end + blocks * kBlobBlockSize > kMaxBlobFile)
            fail("A memo or binary value for table " + inQuotes(label_) +
                 " is too large for a Paradox blob file.");
        std::vector<std::uint8_t> block(static_cast<std::size_t>(blocks * kBlobBlockSize), 0);
        block[0] = 2;
        putLe16(block.data() + 1, static_cast<std::uint16_t>(blocks));
        putLe32(block.data() + 3, location.length);
        putLe16(block.data() + 7, kModification);
        std::copy(value.begin(), value.end(), block.begin() + kSingleHeader);
        write(block.data(), block.size(), end);
        size_ = end + block.size();
        location.offsetAndIndex = static_cast<std::uint32_t>(end) | 0xFF;
        return location;
    }
    const int chunks = static_cast<int>((value.size() + kChunk - 1) / kChunk);
    if (sharedBlock_ == 0 || nextSlot_ < 0 || nextChunk_ + chunks > kChunksPerBlock) {
        if (end + kBlobBlockSize > kMaxBlobFile)
            fail("The blob file of table " + inQuotes(label_) + " is full.");
        std::uint8_t header[kSharedHeader] = {3, 1, 0};
        std::vector<std::uint8_t> block(kBlobBlockSize, 0);
        std::copy(std::begin(header), std::end(header), block.begin());
        write(block.data(), block.size(), end);
        size_ = end + kBlobBlockSize;
        sharedBlock_ = end;
        nextChunk_ = kFirstDataChunk;
        nextSlot_ = kSlots - 1;  // slots are taken from the last one down
    }
    std::uint8_t data[kLargeValue] = {};
    std::copy(value.begin(), value.end(), data);
    const std::uint64_t dataAt = sharedBlock_ + static_cast<std::uint64_t>(nextChunk_) * kChunk;
    undo_.push_back({dataAt, static_cast<std::size_t>(chunks) * kChunk});
    write(data, static_cast<std::size_t>(chunks) * kChunk, dataAt);
    std::uint8_t entry[5];
    entry[0] = static_cast<std::uint8_t>(nextChunk_);
    entry[1] = static_cast<std::uint8_t>(chunks);
    putLe16(entry + 2, kModification);
    entry[4] =
        static_cast<std::uint8_t>(value.size() - static_cast<std::size_t>(chunks - 1) * kChunk);
    const std::uint64_t entryAt =
        sharedBlock_ + kSharedHeader + static_cast<std::uint64_t>(nextSlot_) * 5;
    undo_.push_back({entryAt, sizeof entry});
    write(entry, sizeof entry, entryAt);
    location.offsetAndIndex =
        static_cast<std::uint32_t>(sharedBlock_) | static_cast<std::uint32_t>(nextSlot_);
    nextChunk_ += chunks;
    --nextSlot_;
    return location;
}

void BlobWriter::commit() {
    undo_.clear();
    sizeAtStart_ = size_;
}

void BlobWriter::rollback() {
    static const std::uint8_t zeros[kLargeValue] = {};
    std::vector<Undo> undo;
    undo.swap(undo_);
    for (const auto& region : undo)
        if (region.at < sizeAtStart_) {
            [[maybe_unused]] ssize_t ignored =
                pwrite(fd_, zeros, region.length, static_cast<off_t>(region.at));
        }
    if (ftruncate(fd_, static_cast<off_t>(sizeAtStart_)) == 0) size_ = sizeAtStart_;
    sharedBlock_ = sharedBlockAtStart_;
    nextChunk_ = sharedStateAtStart_[0];
    nextSlot_ = sharedStateAtStart_[1];
}

void BlobWriter::clear() {
    if (ftruncate(fd_, kBlobBlockSize) != 0)
        failSystem("Shortening the blob file of " + inQuotes(label_), errno);
    size_ = sizeAtStart_ = kBlobBlockSize;
    sharedBlock_ = 0;
    nextSlot_ = -1;
    undo_.clear();
}

void readBlob(int fd, const std::uint8_t* field, int fieldLength, std::string& out,
              const std::string& label) {
    out.clear();
    const int leader = fieldLength - 10;
    const std::uint8_t* descriptor = field + leader;
    const std::uint32_t offsetAndIndex = getLe32(descriptor);
    const std::uint32_t length = getLe32(descriptor + 4);
    if (length == 0) return;
    if ((offsetAndIndex & 0xFFFFFF00u) == 0) {  // the whole value is in the leader
        if (static_cast<int>(length) > leader) damagedBlob(label);
        out.assign(reinterpret_cast<const char*>(field), length);
        return;
    }
    if (fd < 0)
        fail("A memo or binary value of table " + inQuotes(label) +
             " is missing: the .mb file is not there.");
    const std::uint64_t block = offsetAndIndex & 0xFFFFFF00u;
    const unsigned index = offsetAndIndex & 0xFF;
    std::uint8_t head[kSharedHeader];
    readExactly(fd, head, sizeof head, block, label);
    if (head[0] == 2) {
        const std::uint64_t room =
            static_cast<std::uint64_t>(getLe16(head + 1)) * kBlobBlockSize - kSingleHeader;
        if (index != 0xFF || getLe32(head + 3) != length || length > room) damagedBlob(label);
        out.resize(length);
        readExactly(fd, out.data(), length, block + kSingleHeader, label);
    } else if (head[0] == 3) {
        if (index >= kSlots) damagedBlob(label);
        std::uint8_t entry[5];
        readExactly(fd, entry, sizeof entry, block + kSharedHeader + index * 5, label);
        if (entry[0] == 0 || entry[1] == 0 ||
            static_cast<std::uint32_t>((entry[1] - 1) * kChunk + entry[4]) != length)
            damagedBlob(label);
        out.resize(length);
        readExactly(fd, out.data(), length, block + static_cast<std::uint64_t>(entry[0]) * kChunk,
                    label);
    } else {
        damagedBlob(label);
    }
}

}  // namespace velmora::paradox

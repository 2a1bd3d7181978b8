#include "paradox/TableReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace {
// A table another program is writing may be read between two of its changes; a reader
// that finds it half-changed tries again for this long.
constexpr auto kWriterWait = std::chrono::milliseconds(2000);
constexpr auto kWriterRetry = std::chrono::milliseconds(20);

struct BeingWritten {};
}  // namespace

TableReader::TableReader(const TableFiles& files) : TableReader(files, Reach::Chain) {}

TableInfo TableReader::infoOf(const TableFiles& files) {
    return TableReader(files, Reach::Header).info();
}

TableReader::TableReader(const TableFiles& files, Reach reach) : files_(files) {
    fd_ = ::open(files.db.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) failSystem("Opening table " + inQuotes(files.name), errno);
    const auto giveUp = std::chrono::steady_clock::now() + kWriterWait;
    for (retrying_ = true;;) {
        try {
            readHeader();
            if (reach == Reach::Chain) readChain();
            break;
        } catch (const BeingWritten&) {
            if (std::chrono::steady_clock::now() < giveUp) {
                std::this_thread::sleep_for(kWriterRetry);
                continue;
            }
            ::close(fd_);
            failBeingWritten();
        } catch (...) {
            ::close(fd_);  // the destructor does not run for a constructor that throws
            throw;
        }
    }
    retrying_ = false;
    buffer_.resize(static_cast<std::size_t>(info_.blockSize));
}

void TableReader::readHeader() {
    struct stat st {};
    fstat(fd_, &st);
    size_ = static_cast<std::uint64_t>(st.st_size);
    std::uint8_t start[hdr::kFieldTableV4] = {};
    if (size_ < sizeof start) damaged("the file is too short");
    readAt(start, sizeof start, 0);
    const int headerSize = declaredHeaderSize(start);
    std::vector<std::uint8_t> header(
        static_cast<std::size_t>(std::max<int>(headerSize, sizeof start)));
    if (static_cast<std::uint64_t>(header.size()) > size_) damaged("the header is cut off");
    readAt(header.data(), header.size(), 0);
    info_ = parseTableHeader(header.data(), header.size(), files_.name);
}

void TableReader::readChain() {
    chain_.clear();
    records_ = 0;
    const std::uint64_t blocks = (size_ - static_cast<std::uint64_t>(info_.headerSize)) /
                                 static_cast<std::uint64_t>(info_.blockSize);
    const int perBlock = info_.recordsPerBlock();
    std::vector<bool> seen(static_cast<std::size_t>(blocks) + 1, false);
    std::uint16_t number = info_.firstBlock;
    while (number != 0) {
        if (number > blocks) damaged("a block link points past the end of the file");
        if (seen[number]) damaged("the block chain runs in a circle");
        seen[number] = true;
        std::uint8_t head[hdr::kBlockHeaderSize];
        readAt(head, sizeof head,
               static_cast<std::uint64_t>(info_.headerSize) +
                   static_cast<std::uint64_t>(number - 1) * info_.blockSize);
        const int add = getLe16s(head + hdr::kBlockAddDataSize);
        int records = 0;
        if (add >= 0) {
            if (add % info_.recordSize != 0 || add / info_.recordSize + 1 > perBlock)
                damaged("a block holds an impossible number of records");
            records = add / info_.recordSize + 1;
        }
        chain_.push_back({number, records});
        records_ += records;
        number = getLe16(head + hdr::kBlockNext);
    }
}

bool TableReader::lockedByWriter() const {
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    return fcntl(fd_, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

void TableReader::failBeingWritten() const {
    fail("The table " + inQuotes(files_.name) +
         " is being written by another program; try again when it has finished.");
}

TableReader::~TableReader() {
    if (fd_ >= 0) ::close(fd_);
    if (mbFd_ >= 0) ::close(mbFd_);
}

void TableReader::damaged(const std::string& why) const {
    // What looks like damage in a table another program is writing is its next change
    // half seen.
    if (lockedByWriter()) {
        if (retrying_) throw BeingWritten{};
        failBeingWritten();
    }
    fail("The table " + inQuotes(files_.name) + " cannot be read: " + why + ".");
}

void TableReader::readAt(void* buffer, std::size_t length, std::uint64_t at) const {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t got = pread(fd_, p, length, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failSystem("Reading table " + inQuotes(files_.name), errno);
        if (got == 0) damaged("the file ended early (was it changed while it was read?)");
        p += got;
        at += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
}

const std::uint8_t* TableReader::readBlock(std::size_t index) {
    const auto& block = chain_.at(index);
    readAt(buffer_.data(), buffer_.size(),
           static_cast<std::uint64_t>(info_.headerSize) +
               static_cast<std::uint64_t>(block.number - 1) * info_.blockSize);
    return buffer_.data() + hdr::kBlockHeaderSize;
}

int TableReader::blobFile() {
    if (!mbTried_) {
        mbTried_ = true;
        if (!files_.mb.empty()) mbFd_ = ::open(files_.mb.c_str(), O_RDONLY | O_CLOEXEC);
    }
    return mbFd_;
}

}  // namespace velmora::paradox

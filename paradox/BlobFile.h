#pragma once
// The .mb file that holds memo and binary values longer than their field's leader; its
// blocks and descriptors: docs/paradox-format.md ("Memo and binary values").

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::paradox {

// Where a value lives: the 10 descriptor bytes a record keeps after the leader.
struct BlobLocation {
    std::uint32_t offsetAndIndex = 0;  // block offset, low byte: slot in a shared block or 0xFF
    std::uint32_t length = 0;
    std::uint16_t modification = 0;
};

class BlobWriter {
  public:
    BlobWriter() = default;
    ~BlobWriter();
    BlobWriter(const BlobWriter&) = delete;
    BlobWriter& operator=(const BlobWriter&) = delete;

    void open(const std::filesystem::path& path, const std::string& label);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool unchangedOnDisk() const;

    // A statement's values: begin(), store() each, then commit() or rollback(), which
    // restores every byte the statement changed.
    void begin();
    BlobLocation store(std::string_view value);
    void commit();
    void rollback();
    // Leaves only the header block.
    void clear();

  private:
    void write(const void* data, std::size_t length, std::uint64_t at);

    int fd_ = -1;
    std::string label_;
    std::uint64_t size_ = 0;
    std::uint64_t sizeAtStart_ = 0;
    // The shared block this session fills, if any.
    std::uint64_t sharedBlock_ = 0;
    int nextChunk_ = 0;
    int nextSlot_ = -1;
    struct Undo {
        std::uint64_t at;
        std::size_t length;
    };
    std::vector<Undo> undo_;  // regions of the shared block to zero again on rollback
    int sharedStateAtStart_[2] = {0, -1};
    std::uint64_t sharedBlockAtStart_ = 0;
};

// Reads a value of a record's blob field from an open .mb file descriptor; throws when
// the value cannot be found or does not match its descriptor.
void readBlob(int fd, const std::uint8_t* field, int fieldLength, std::string& out,
              const std::string& label);

}  // namespace velmora::paradox

#pragma once
// The .px primary index of a keyed table, kept in step with the data blocks; its header,
// entries and block chain: docs/paradox-format.md ("The primary index").

#include <cstdint>
#include <vector>

#include "paradox/KeyOrder.h"
#include "paradox/MappedFile.h"

namespace velmora::paradox {

class PrimaryIndex {
  public:
    static constexpr int kMaxDepth = 12;
    struct Path {
        int depth = 0;  // number of levels; [0] is the root, [depth - 1] the level 1 block
        std::uint16_t block[kMaxDepth] = {};
        int entry[kMaxDepth] = {};
    };

    PrimaryIndex(MappedFile& file, const KeyOrder& order, const std::string& label);

    bool empty() const;
    int levels() const;
    std::uint32_t entryCount() const;
    // The records under the root, at 16 bits as the entries count them.
    std::uint16_t totalRecords() const;

    // The level 1 entry for the data block that holds (or would hold) `key`.
    void find(const std::uint8_t* key, Path& path) const;
    void rightmost(Path& path) const;
    std::uint16_t dataBlock(const Path& path) const;

    // Index blocks an entry added after the path's level 1 entry needs (splits, new root).
    int blocksNeeded(const Path& path) const;
    // Extends the file by `blocks` index blocks before a change; throws when the disk is
    // full or the index would pass 65535 blocks.
    void reserve(int blocks);

    // One more record in the data block of the path.
    void addRecord(const Path& path);
    // The path's data block now holds `count` records and a new data block with `newCount`
    // records (one more in all) follows it, starting with `newKey`.
    void addDataBlock(const Path& path, std::uint16_t count, const std::uint8_t* newKey,
                      std::uint16_t newBlock, std::uint16_t newCount);
    // The first key of the path's data block changed.
    void setFirstKey(const Path& path, const std::uint8_t* key);
    // The first entry of an empty index.
    void start(const std::uint8_t* key, std::uint16_t dataBlock, std::uint16_t count);
    void clear();

  private:
    std::uint8_t* header() const { return file_.data(); }
    // Inline: every row written looks up a few blocks.
    std::uint8_t* block(std::uint16_t number) const {
        const std::size_t at = static_cast<std::size_t>(headerSize_) +
                               static_cast<std::size_t>(number - 1) * blockSize_;
        if (number == 0 || at + static_cast<std::size_t>(blockSize_) > file_.size()) failDamaged();
        return file_.data() + at;
    }
    std::uint8_t* entryAt(std::uint16_t number, int index) const;
    int countIn(std::uint16_t number) const;
    // A descent from the root: the root block, and the entries of each block on the way;
    // a descent that meets an empty block or an impossible depth reports the damage.
    std::uint16_t startDescent(Path& path) const;
    int entriesOnPath(std::uint16_t block) const;
    [[noreturn]] void failDamaged() const;
    void setCountIn(std::uint16_t number, int entries);
    std::uint16_t sumOf(std::uint16_t number) const;
    std::uint16_t newBlock();
    void linkAfter(std::uint16_t existing, std::uint16_t added);
    void linkFirst(std::uint16_t added);
    void writeEntry(std::uint8_t* at, const std::uint8_t* key, std::uint16_t child,
                    std::uint16_t count) const;
    void insertEntry(const Path& path, int depth, const std::uint8_t* key, std::uint16_t child,
                     std::uint16_t count);
    void setEntryCount(std::uint8_t* entry, std::uint16_t count) const;
    std::uint16_t entryCountOf(const std::uint8_t* entry) const;
    std::uint16_t childOf(const std::uint8_t* entry) const;
    void addEntries(int delta);

    MappedFile& file_;
    const KeyOrder& order_;
    std::string label_;
    int keyLength_;
    int recordSize_;
    int headerSize_;
    int blockSize_;
    int capacity_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace velmora::paradox

#pragma once
// Finding records by key without writing: a keyed table (.db with its .px) or a secondary
// index's data file (.Xnn with its .Ynn), mapped read-only, searched through its index as
// Borland's engine searches it. Takes no lock; a reader beside a writer sees the files as
// they were mapped.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "paradox/HeaderLayout.h"
#include "paradox/KeyOrder.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

class KeyedLookup {
  public:
    // Throws when the file is not keyed or its index does not match it.
    KeyedLookup(const std::filesystem::path& data, const std::filesystem::path& index,
                bool indexData, const std::string& label);
    ~KeyedLookup();
    KeyedLookup(const KeyedLookup&) = delete;
    KeyedLookup& operator=(const KeyedLookup&) = delete;

    const TableInfo& info() const { return info_; }
    // The stored record whose key equals the key of `key` (a record or its key fields
    // first), and the number of its block; null when there is none.
    const std::uint8_t* find(const std::uint8_t* key, std::uint16_t* block = nullptr) const;
    // Searches as find() does, with the same results, for keys that mostly come in key
    // order (a table checked against its own index): it keeps the path of the last search
    // and, in a block whose keys are in order, tries the last position and the next one
    // before searching the block. A block out of order is searched as find() searches it.
    class InOrderSearch {
      public:
        explicit InOrderSearch(const KeyedLookup& lookup);
        const std::uint8_t* find(const std::uint8_t* key, std::uint16_t* block = nullptr);

      private:
        struct Step {
            std::uint16_t number = 0;  // 0: nothing kept
            const std::uint8_t* block = nullptr;
            int count = 0;
            bool inOrder = false;
            int position = 0;
        };
        void enter(Step& step, std::uint16_t number, bool index);
        bool inOrder(const Step& step, bool index) const;

        const KeyedLookup& lookup_;
        std::vector<Step> path_;  // one per index level, then the data block
        // Per block number: 0 not yet looked at, 1 in order, -1 not.
        std::vector<std::int8_t> indexBlocks_, dataBlocks_;
    };

    // Every record in key order, with its block's number.
    void forEach(const std::function<void(const std::uint8_t*, std::uint16_t)>& visit) const;
    std::uint32_t recordCount() const;

  private:
    struct Mapping {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };
    static Mapping map(const std::filesystem::path& path, const std::string& label);
    const std::uint8_t* block(const Mapping& file, int headerSize, int blockSize,
                              std::uint16_t number) const;
    [[noreturn]] void damaged() const;
    // Where a search for `key` continues in an index block of `count` entries (1 to
    // count; the entry before it is taken), and where it lands in a data block of `count`
    // records (0 to count), each by binary search as Borland's engine searches.
    int entryPosition(const std::uint8_t* block, int count, const std::uint8_t* key) const;
    int recordPosition(const std::uint8_t* block, int count, const std::uint8_t* key) const;
    const std::uint8_t* entry(const std::uint8_t* block, int position) const {
        return block + hdr::kBlockHeaderSize + position * indexInfo_.recordSize;
    }
    const std::uint8_t* record(const std::uint8_t* block, int position) const {
        return block + hdr::kBlockHeaderSize + position * info_.recordSize;
    }

    std::string label_;
    Mapping data_;
    Mapping index_;
    TableInfo info_;
    IndexInfo indexInfo_;
    std::optional<KeyOrder> order_;
};

}  // namespace velmora::paradox

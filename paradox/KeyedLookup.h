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

    std::string label_;
    Mapping data_;
    Mapping index_;
    TableInfo info_;
    IndexInfo indexInfo_;
    std::optional<KeyOrder> order_;
};

}  // namespace velmora::paradox

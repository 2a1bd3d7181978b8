#pragma once
// A table open for changes: records are inserted in key order (keyed tables) or at the
// end (unkeyed ones), blocks split as Paradox splits them, and the headers of the .db and
// .px files are right after every statement. A statement either changes the files
// completely or, when the disk is full, not at all. The order of its writes keeps a table
// that a kill at any moment leaves behind readable, and opening for writing repairs what
// the kill left (recoverData): docs/paradox-format.md ("Order of writing").

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "paradox/BlobFile.h"
#include "paradox/KeyOrder.h"
#include "paradox/MappedFile.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"
#include "paradox/ValidityFile.h"

namespace velmora::paradox {

// A memo or binary value longer than its field's leader, stored in the .mb file.
struct PendingBlob {
    int field = 0;
    std::string data;
};

class WritableTable {
  public:
    // Opens the table's files for writing (locked); throws when they are read-only,
    // locked, damaged or encrypted.
    explicit WritableTable(const TableFiles& files);

    const TableInfo& info() const { return info_; }
    // The open files were renamed to these names (they stay open and locked).
    void movedTo(const TableFiles& files) { files_ = files; }
    const std::string& name() const { return files_.name; }
    // False when another program changed, removed or write-protected a file since the
    // last statement; the table must then be opened again.
    bool unchangedOnDisk() const;

    // The value the next autoincrement field gets.
    std::uint32_t nextAutoIncrement() const;
    // Inserts an encoded record. `autoIncrement` is the highest autoincrement value in it
    // (0 for none). Throws for a duplicate key, a full table or disk.
    void insert(std::uint8_t* record, const std::vector<PendingBlob>& blobs,
                std::uint32_t autoIncrement);
    void deleteAll();

    // The folder change count at which the session last found the files unchanged.
    std::uint64_t checkedGeneration = 0;

    // The table's validity checks and references (its .VAL file), when it has any.
    std::optional<ValidityFile> rules;

    // Text of the key of `record` for messages, e.g. TVXID = 5.
    std::string describeKey(const std::uint8_t* record) const;

  private:
    std::uint8_t* header() const { return db_.data(); }
    std::uint8_t* block(std::uint16_t number) const;
    int recordsIn(const std::uint8_t* block) const;
    void setRecordsIn(std::uint8_t* block, int records) const;
    std::uint8_t* recordAt(std::uint8_t* block, int index) const {
        return block + 6 + static_cast<std::ptrdiff_t>(index) * info_.recordSize;
    }
    std::uint16_t physicalBlocks() const;
    void reserveDataBlock();
    std::uint16_t addDataBlock();
    void storeBlobs(std::uint8_t* record, const std::vector<PendingBlob>& blobs);
    void finishStatement(std::uint32_t autoIncrement);
    void countChange();
    void resetToEmpty();
    void adoptFinishedIndex();
    void removeUnfinishedRebuilds() const;
    bool recoverData();
    bool cutUncountedIndexBlocks();
    bool indexAgreesWithData() const;
    void rebuildIndex();
    [[noreturn]] void failDuplicate(const std::uint8_t* record) const;
    [[noreturn]] void failDamaged() const;

    void insertUnkeyed(std::uint8_t* record, const std::vector<PendingBlob>& blobs);
    void insertKeyed(std::uint8_t* record, const std::vector<PendingBlob>& blobs);
    void insertFirst(std::uint8_t* record, const std::vector<PendingBlob>& blobs);

    TableFiles files_;
    TableInfo info_;
    MappedFile db_;
    MappedFile px_;
    std::optional<KeyOrder> order_;
    std::optional<PrimaryIndex> index_;
    BlobWriter mb_;
    std::vector<std::uint8_t> dbSnapshot_;
    std::vector<std::uint8_t> pxSnapshot_;
    std::vector<std::uint8_t> scratch_;
    int perBlock_ = 0;
    std::size_t releasedAt_ = 0;
};

}  // namespace velmora::paradox

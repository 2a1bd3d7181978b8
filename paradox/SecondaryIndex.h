#pragma once
// Secondary indexes of a keyed table. The data file (.Xnn for one field, .XGn for a
// composite or named index) is a keyed file of one entry per row: the index fields, the
// table's key fields and the number of the .db block that holds the row ("Blk Num"), in
// index order (index fields, then the table's key); its index file (.Ynn, .YGn) is laid
// out like a .px. This driver writes maintained ("incrementing") indexes and keeps every
// maintained index of a table current on each INSERT (WritableTable).
//
// Naming, as Borland's engine names them: only a single-field, case-sensitive, ascending
// index is named after its field and stored as .Xnn (nn: the field's number in hex);
// every other one is stored as .XGn under its own name (n: 0 to F, the first free).

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

struct SecondaryIndexDefinition {
    std::string name;
    std::vector<int> fields;  // positions in the table's fields, in key order
    bool caseInsensitive = false;
    bool descending = false;
    bool unique = false;
};

inline constexpr int kMaxIndexFields = 16;

// The entries of an index from the table's records.
class EntryLayout {
  public:
    // Throws when `data` (the index's data file) does not index `table` this way.
    EntryLayout(const TableInfo& table, const TableInfo& data, const std::string& label);

    int size() const { return size_; }
    int indexFields() const { return indexFields_; }
    // Table field positions of the index fields.
    const std::vector<int>& tableFields() const { return tableFields_; }
    void build(const std::uint8_t* record, std::uint16_t block, std::uint8_t* entry) const;
    void setBlock(std::uint8_t* entry, std::uint16_t block) const;
    std::uint16_t blockOf(const std::uint8_t* entry) const;
    // True when one of the index fields of `entry` is blank.
    bool hasBlankField(const std::uint8_t* entry) const;

  private:
    struct Copy {
        int from;
        int to;
        int length;
    };
    std::vector<Copy> copies_;
    std::vector<int> tableFields_;
    int indexFields_ = 0;
    int blockAt_ = 0;
    int size_ = 0;
};

struct SecondaryFiles {
    std::filesystem::path data;   // .Xnn, .XGn
    std::filesystem::path index;  // .Ynn, .YGn
};

// The secondary index files beside a table (any letter case), data files with their index.
std::vector<SecondaryFiles> secondaryIndexFiles(const TableFiles& table);

// The header description of a new index's data file, as `table` (keyed) defines it.
TableInfo secondaryDataInfo(const TableInfo& table, const SecondaryIndexDefinition& definition);

// The files a new index on `table` takes; throws when an index of that name exists or
// no file name is free.
SecondaryFiles newSecondaryFiles(const TableFiles& table, const TableInfo& info,
                                 const TableInfo& data);

// Writes an index's files from the table's rows in one sorted pass, under temporary
// names that replace `files` when both are complete. A unique index refuses two rows with
// the same key (blank fields aside) and then changes nothing.
void writeSecondaryIndex(const TableFiles& table, const TableInfo& data,
                         const SecondaryFiles& files, bool unique, mode_t mode);

// The index name a data file's header gives: its own name, or its field's for .Xnn.
std::string secondaryIndexName(const TableInfo& table, const TableInfo& data);

}  // namespace velmora::paradox

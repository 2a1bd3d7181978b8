#pragma once
// A table's rules as the driver keeps and honours them, in its .VAL file: required
// fields, defaults, minimum and maximum values, and referential integrity (a child's row
// needs its parent's key). Rows that break one are refused with an SQLException that
// names the rule.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "paradox/SqlStatement.h"
#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"
#include "paradox/ValidityFile.h"

namespace velmora::paradox {

// The field checks a CREATE TABLE statement asks for, or nothing when it asks for none.
std::optional<ValidityFile> checksOfNewTable(const sql::Statement& statement, const TableInfo& info,
                                             const std::string& name);

// The table's .VAL file, when it has one.
std::optional<ValidityFile> readValidityFile(const TableFiles& files);

// Replaces (or creates) the table's .VAL file whole.
void writeValidityFile(const std::filesystem::path& folder, const std::string& name,
                       const ValidityFile& file, mode_t mode);

// A new .VAL for a table that had none: no checks, its fields in the footer.
ValidityFile emptyValidityFile(const TableInfo& info, const std::string& name);

// Fills the blank fields that have a default; `given[f]` is true for fields the
// statement gave a value (even NULL).
void applyDefaults(const ValidityFile& rules, const TableInfo& info, const std::vector<bool>& given,
                   std::uint8_t* record);

// Throws when the record lacks a required value or lies outside a field's range.
void checkFieldRules(const ValidityFile& rules, const TableInfo& info, const std::string& table,
                     const std::uint8_t* record);

// The keys of parent tables, read once and again only when the parent has changed.
class ParentKeys {
  public:
    // Throws when the record refers to a parent key that does not exist.
    void checkReferences(const std::filesystem::path& folder, const ValidityFile& rules,
                         const TableInfo& info, const std::string& table,
                         const std::uint8_t* record);

  private:
    struct Keys {
        std::string signature;
        std::unordered_set<std::string> keys;
    };
    const Keys& keysOf(const TableFiles& parent);
    std::unordered_map<std::string, Keys> cache_;
};

// ALTER TABLE ... ADD FOREIGN KEY: records the reference in the child's and the parent's
// .VAL files. Throws when a table or column is missing, or the parent is not keyed on
// the referenced columns (in its key's order) with the same types.
void addForeignKey(const std::filesystem::path& folder, const sql::Statement& statement,
                   mode_t mode);

// DROP TABLE: the references of the other tables to and from it go with it.
void forgetReferences(const std::filesystem::path& folder, const TableFiles& dropped, mode_t mode);

}  // namespace velmora::paradox

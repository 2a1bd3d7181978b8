#pragma once
// A table's .VAL file: the validity checks of its fields (required, minimum, maximum,
// default, picture, table lookup) and its referential integrity, both as a child that
// refers to a parent and as a parent that children depend on. docs/paradox-format.md
// ("Validity checks") gives the layout as the desktop engine writes it.
//
// Texts here are in the table's code page, as the file holds them; values are the byte
// forms of the field (FieldCodec.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::paradox {

inline constexpr int kMaxReferenceFields = 16;

struct FieldCheck {
    int field = 0;  // position in the table, from 0
    bool required = false;
    std::optional<std::vector<std::uint8_t>> minimum;
    std::optional<std::vector<std::uint8_t>> maximum;
    std::optional<std::vector<std::uint8_t>> defaultValue;
    std::string picture;
    // A table lookup: the table whose first field holds the allowed values.
    std::string lookupTable;
    std::uint8_t lookupFlags = 0;  // 1: fill all corresponding fields, 2: help and fill
};

// This table (the child) refers to a parent's key.
struct ParentReference {
    std::string name;
    std::string parentTable;        // file name, for example "orders.db"
    bool cascade = true;            // updates of the parent's key: cascade, else prohibit
    std::vector<int> fields;        // child field numbers, from 1
    std::vector<int> parentFields;  // parent key field numbers, from 1
    std::string fieldName;          // the only field's name; the reference name for several
};

// A child table that refers to this table's key.
struct ChildReference {
    std::string name;
    std::string childTable;
    bool cascade = true;
    std::vector<int> fields;  // child field numbers, from 1
    std::string fieldName;
};

struct ValidityFile {
    std::uint8_t version = 0x0B;  // the table's level byte: 9 for level 4, 11 for level 5
    // Copied from the table's header, so a reader can tell a .VAL that belongs to it.
    std::uint8_t changeCount = 1;
    std::uint32_t updateTime = 0;
    std::uint16_t highFieldId = 0;

    std::vector<FieldCheck> checks;
    std::vector<ParentReference> parents;
    std::vector<int> keyFields;  // this table's key field numbers, when children depend on it
    std::vector<ChildReference> children;

    // The table the file belongs to.
    std::string tableName;
    int keyFieldCount = 0;
    struct Field {
        std::uint8_t type = 0;
        std::uint8_t size = 0;
        std::string name;
    };
    std::vector<Field> fields;

    bool empty() const { return checks.empty() && parents.empty() && children.empty(); }
};

std::vector<std::uint8_t> encodeValidityFile(const ValidityFile& file);

// Throws a db::DbError naming `label` when the bytes are not a .VAL file this reader knows.
ValidityFile decodeValidityFile(const std::uint8_t* data, std::size_t size,
                                const std::string& label);

}  // namespace velmora::paradox

#pragma once
// CREATE TABLE: column types to Paradox fields, and the new table's files.
//
//   TEXT(n) CHAR(n) ALPHANUMERIC(n) VARCHAR(n)   Alpha n (1..255); VARCHAR, TEXT and
//                                                ALPHANUMERIC without a size: Alpha 255,
//                                                CHAR without a size: Alpha 1
//   INT INTEGER LONG                             Long Integer
//   SMALLINT SHORT                               Short
//   FLOAT DOUBLE [PRECISION] NUMBER REAL         Number (a double)
//   CURRENCY MONEY                               Money ($, a double; values with at most 4
//                                                decimals that the double holds exactly)
//   DECIMAL NUMERIC [(p[,s])]                    BCD, 32 digits, s decimals; without a scale
//                                                14 decimals (18 digits before the point)
//   DATE  TIME  TIMESTAMP DATETIME               Date, Time, Timestamp
//   BIT LOGICAL BOOLEAN                          Logical
//   MEMO LONGVARCHAR [(n)]                       Memo, leader n (1..240, default 1) + .mb
//   BLOB LONGVARBINARY [(n)]                     Binary, leader n (0..240, default 0) + .mb
//   BYTES(n)                                     Bytes n (1..255)
//   AUTOINCREMENT AUTOINC COUNTER                Autoincrement
//
// After the closing parenthesis, "CODEPAGE n" writes the table's names and text in
// Windows code page n: 1252 when left out; 1250, 1251, 1253 to 1257 and 874 too, and the
// double-byte 932, 936, 949 and 950, where an Alpha field's size counts bytes. "ROWS n"
// says how many rows will come; the block size and level follow from the record size and
// n (paradox/BlockSize.h).

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "paradox/SqlStatement.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

inline constexpr int kDefaultDecimalScale = 14;

// The fields of the new table; throws for an unknown type, a bad size or name, too many
// fields or a record too long for the largest block.
TableInfo defineTable(const sql::Statement& statement, std::string_view text);

// Permissions of new table files before the umask: everyone's by default, the owner's
// only for tables that hold data from a protected source.
inline constexpr mode_t kTableFileMode = 0666;
inline constexpr mode_t kOwnerOnlyFileMode = 0600;

// Writes the .db (and the .mb for memo and binary fields) of a table that does not exist
// yet; leaves no file behind when it fails.
void createTableFiles(const std::filesystem::path& folder, const std::string& name,
                      const TableInfo& info, mode_t mode = kTableFileMode);

// Creates a file that must not exist yet with `bytes` as its content, written under a
// temporary name first so that it never appears part written.
void publishNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                    const std::string& label, mode_t mode);
// Creates a file that must not exist yet with `bytes` as its content.
void writeNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                  const std::string& label, mode_t mode = kTableFileMode);

// Throws when an index or blob file of an earlier table named `name` is still in the
// folder: a new table would take it for its own.
void checkNoLeftovers(const std::filesystem::path& folder, const std::string& name);

// Removes new .db and .mb files that a CREATE TABLE killed part way left, and that no one
// is still making; the files of existing tables are left to their writers.
void removeAbandonedNewFiles(const std::filesystem::path& folder);

// Throws when the folder cannot take new or changed files.
void checkFolderWritable(const std::filesystem::path& folder);

}  // namespace velmora::paradox

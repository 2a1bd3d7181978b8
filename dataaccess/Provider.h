#pragma once
// The provider side of the data-access interface. A provider (the Access reader,
// the Paradox driver) opens sessions from a parsed connection string; a session
// executes statements and opens forward-only row cursors. `Connection` and
// `Recordset` put the ADO-shaped behaviour on top of these.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dataaccess/ConnectionString.h"
#include "dataaccess/Damage.h"
#include "dataaccess/Value.h"

namespace velmora::db {

// How a column numbers new rows by itself (ADO's ISAUTOINCREMENT, and Access's
// Replication ID AutoNumber, whose new values are generated GUIDs).
enum class AutoNumber : std::uint8_t { None, Increment, Guid };

struct ColumnInfo {
    std::string name;
    std::int16_t type = 0;  // ADO data type code
    long definedSize = 0;   // characters for text, bytes otherwise
    int numericScale = 0;   // decimals of an adNumeric column
    // What the provider does not know about the column's values, which it delivers as
    // their stored bytes (or their text): e.g. "complex values of type 0x48". Empty for
    // every column it reads as what it is.
    std::string unknownKind = {};
    AutoNumber autoNumber = AutoNumber::None;
};

class RowCursor {
  public:
    virtual ~RowCursor() = default;
    virtual const std::vector<ColumnInfo>& columns() const = 0;
    // The number of rows of the source: the rows that fetch() delivers, and the rows that
    // it cannot deliver (lostRows) whose number is known.
    virtual std::int64_t rowCount() = 0;
    // Fills `row` (sized to columns()) with the next row; false past the last row.
    virtual bool fetch(std::vector<Value>& row) = 0;
    // The place of the row fetch() delivered last among all the source's rows, from 0, for
    // a source that leaves rows out; otherwise the caller counts the rows it was given.
    virtual std::optional<std::int64_t> position() const { return std::nullopt; }
    // The rows left out so far, in the order of their places; all of them once fetch()
    // has returned false.
    virtual std::vector<LostRows> lostRows() const { return {}; }
    // The columns left out of every row; known once the cursor is open.
    virtual LostColumns lostColumns() const { return {}; }
};

class Session {
  public:
    virtual ~Session() = default;
    virtual void execute(std::string_view statement) = 0;
    virtual std::unique_ptr<RowCursor> query(std::string_view statement) = 0;
    // A schema rowset; `table` (when not empty) restricts it to one table's rows, as
    // ADO's TABLE_NAME criterion does.
    virtual std::unique_ptr<RowCursor> schema(int kind, std::string_view table) = 0;
    // What the source could not read of its list of tables.
    virtual SourceDamage damage() const { return {}; }
    // The statements between beginBatch and endBatch come from one writer in one go: a
    // provider may look for other programs' changes once per batch, not before each one.
    virtual void beginBatch() noexcept {}
    virtual void endBatch() noexcept {}
    // Between beginTrans and commitTrans, tables that are dropped and created again (or
    // created anew) take their new form only at commitTrans, all at once; rollbackTrans,
    // or a session that ends without commitTrans, leaves them as they were. A provider
    // that writes nothing has nothing to keep apart.
    virtual void beginTrans() {}
    virtual void commitTrans() {}
    virtual void rollbackTrans() {}
};

class Provider {
  public:
    virtual ~Provider() = default;
    virtual std::unique_ptr<Session> connect(const ConnectionString& settings) = 0;
    // Whether the file at `path` is one of this provider's tables (an encrypted or damaged
    // one too), for a provider that keeps one file per table.
    virtual bool isTableFile(const std::string& path) { return false; }
};

// Entry points of a provider that lives in a loadable module.
inline constexpr int kProviderAbiVersion = 7;
using ProviderAbiFunction = int (*)();
using ProviderCreateFunction = Provider* (*)();
inline constexpr const char* kProviderAbiSymbol = "velmora_provider_abi";
inline constexpr const char* kProviderCreateSymbol = "velmora_provider_create";

}  // namespace velmora::db

#pragma once
// ADO-shaped forward record set over a provider's row cursor: positioned on the first
// row after Open, BOF and EOF both true when there is no row.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dataaccess/DbError.h"
#include "dataaccess/Provider.h"

namespace velmora::db {

class Connection;
class Recordset;

class Field {
  public:
    const std::string& name() const { return info_->name; }
    std::int16_t type() const { return info_->type; }
    long definedSize() const { return info_->definedSize; }
    int numericScale() const { return info_->numericScale; }
    const std::string& unknownKind() const { return info_->unknownKind; }
    AutoNumber autoNumber() const { return info_->autoNumber; }
    // Throws 3021 when the record set has no current row.
    const Value& value() const;

  private:
    friend class Recordset;
    const Recordset* owner_ = nullptr;
    const ColumnInfo* info_ = nullptr;
    std::size_t index_ = 0;
};

class Fields {
  public:
    int count() const { return static_cast<int>(fields_.size()); }
    const Field& item(int index) const {
        if (index < 0 || index >= count()) throwNotFound();
        return fields_[static_cast<std::size_t>(index)];
    }
    const Field& item(std::string_view name) const;
    const Field& operator[](int index) const { return item(index); }

  private:
    friend class Recordset;
    [[noreturn]] static void throwNotFound();
    std::vector<Field> fields_;
};

class Recordset {
  public:
    Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void open(std::string_view statement, Connection& connection);
    // Opens over rows that did not come from a connection (rows built in memory).
    void open(std::unique_ptr<RowCursor> cursor);
    bool isOpen() const { return cursor_ != nullptr; }
    bool eof() const;
    bool bof() const;
    // When the next row cannot be read, throws and leaves no current row; a further
    // MoveNext goes on with the row after it.
    void moveNext();
    void close();
    std::int64_t recordCount() const;
    const Fields& fields() const {
        requireOpen();
        return fields_;
    }
    // The current row's place among the source's rows, from 0: rows the source could not
    // deliver keep theirs, so this is the row's number in the source.
    std::int64_t rowNumber() const;
    // The rows the source left out so far (all of them at EOF).
    std::vector<LostRows> lostRows() const;
    // The columns the source left out of every row.
    LostColumns lostColumns() const;

  private:
    friend class Field;
    // Inline, as the fields are read by the million; the throws are not.
    void requireOpen() const {
        if (!cursor_) throwClosed();
    }
    [[noreturn]] static void throwClosed();
    [[noreturn]] static void throwNoCurrentRecord();

    std::unique_ptr<RowCursor> cursor_;
    std::vector<Value> row_;
    Fields fields_;
    std::int64_t count_ = 0;
    std::int64_t place_ = 0;  // of the current row, when the cursor does not say it
    bool bof_ = true;
    bool eof_ = true;
    bool rowLost_ = false;  // the last MoveNext failed to read its row
};

inline const Value& Field::value() const {
    if (owner_->bof_ || owner_->eof_ || owner_->rowLost_) Recordset::throwNoCurrentRecord();
    return owner_->row_[index_];
}

}  // namespace velmora::db

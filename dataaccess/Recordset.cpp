#include "dataaccess/Recordset.h"

#include <algorithm>
#include <cctype>

#include "dataaccess/Connection.h"

namespace velmora::db {

namespace {
constexpr const char* kClosedText = "Operation is not allowed when the object is closed.";
constexpr const char* kNoRecordText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";
constexpr const char* kNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
}  // namespace

void Fields::throwNotFound() {
    throw DbError(errc::kItemNotFound, kNotFoundText);
}

void Recordset::throwClosed() {
    throw DbError(errc::kObjectClosed, kClosedText);
}

void Recordset::throwNoCurrentRecord() {
    throw DbError(errc::kNoCurrentRecord, kNoRecordText);
}

const Field& Fields::item(std::string_view name) const {
    for (const auto& f : fields_) {
        const auto& n = f.name();
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](unsigned char a, unsigned char b) {
                return std::tolower(a) == std::tolower(b);
            }))
            return f;
    }
    throw DbError(errc::kItemNotFound, kNotFoundText);
}

void Recordset::open(std::string_view statement, Connection& connection) {
    if (cursor_)
        throw DbError(errc::kObjectOpen, "Operation is not allowed when the object is open.");
    open(connection.session().query(statement));
}

void Recordset::open(std::unique_ptr<RowCursor> cursor) {
    if (cursor_)
        throw DbError(errc::kObjectOpen, "Operation is not allowed when the object is open.");
    // Nothing is kept until the first row has been read: a failed open leaves the
    // record set closed, so it can be opened again over the next table.
    const auto& columns = cursor->columns();
    std::vector<Value> row(columns.size());
    const std::int64_t count = cursor->rowCount();
    const bool any = cursor->fetch(row);
    cursor_ = std::move(cursor);
    row_ = std::move(row);
    fields_.fields_.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Field& f = fields_.fields_[i];
        f.owner_ = this;
        f.info_ = &columns[i];
        f.index_ = i;
    }
    count_ = count;
    place_ = 0;
    rowLost_ = false;
    bof_ = !any;
    eof_ = !any;
}

bool Recordset::eof() const {
    requireOpen();
    return eof_;
}

bool Recordset::bof() const {
    requireOpen();
    return bof_;
}

void Recordset::moveNext() {
    requireOpen();
    if (eof_) throw DbError(errc::kNoCurrentRecord, kNoRecordText);
    bof_ = false;
    // A row that cannot be read is no current row: its fields must not show the
    // previous row's values. The next MoveNext goes on after it.
    rowLost_ = true;
    ++place_;  // a row that cannot be read keeps its place too
    eof_ = !cursor_->fetch(row_);
    rowLost_ = false;
}

void Recordset::close() {
    requireOpen();
    cursor_.reset();
    fields_.fields_.clear();
    row_.clear();
    bof_ = eof_ = true;
}

std::int64_t Recordset::recordCount() const {
    requireOpen();
    return count_;
}

std::int64_t Recordset::rowNumber() const {
    requireOpen();
    if (bof_ || eof_ || rowLost_) throw DbError(errc::kNoCurrentRecord, kNoRecordText);
    return cursor_->position().value_or(place_);
}

std::vector<LostRows> Recordset::lostRows() const {
    requireOpen();
    return cursor_->lostRows();
}

LostColumns Recordset::lostColumns() const {
    requireOpen();
    return cursor_->lostColumns();
}

}  // namespace velmora::db

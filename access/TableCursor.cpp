#include "access/TableCursor.h"

#include "access/CalculatedColumns.h"
#include "access/ColumnTypes.h"

namespace velmora::access {

TableCursor::TableCursor(std::shared_ptr<const AccessDatabase> database,
                         const CatalogueEntry& entry)
    : database_(std::move(database)), what_("table '" + entry.name + "'") {
    readingGuarded(*database_, what_, [&] {
        const PageFile& file = database_->file();
        table_ = readTableDefinition(file, database_->text(), entry.definitionPage);
        applyCalculatedResultTypes(file, entry.propertiesField, table_);
        for (const ColumnDefinition& c : table_.columns)
            columns_.push_back(adoColumnOf(c, file.format().jet3));
        layout_.emplace(file.format(), table_);
        scanner_.emplace(file, table_);
        decoder_.emplace(file, database_->text());
        complex_.emplace(*database_, entry, table_);
        for (const auto& [index, kind] : complex_->unknownKinds())
            columns_[index].unknownKind = kind;
    });
}

std::int64_t TableCursor::rowCount() {
    if (!rowCount_)
        rowCount_ = readingGuarded(
            *database_, what_, [&] { return RowScanner::countRows(database_->file(), table_); });
    return *rowCount_;
}

bool TableCursor::fetch(std::vector<db::Value>& row) {
    return readingGuarded(*database_, what_, [&] {
        if (!scanner_->next()) return false;
        layout_->split(scanner_->row(), fields_);
        row.resize(table_.columns.size());
        for (std::size_t i = 0; i < table_.columns.size(); ++i)
            decoder_->decode(table_.columns[i], fields_[i], row[i]);
        complex_->resolve(row);
        return true;
    });
}

}  // namespace velmora::access

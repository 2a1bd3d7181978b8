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
        try {
            applyCalculatedResultTypes(file, entry.propertiesField, table_);
        } catch (const FormatError& e) {
            valuesUnreadable_ =
                std::string("the result types of its calculated columns cannot be read (") +
                e.what() + ")";
        }
        for (const ColumnDefinition& c : table_.columns)
            columns_.push_back(adoColumnOf(c, file.format().jet3));
        layout_.emplace(file.format(), table_);
        scanner_.emplace(file, table_, &database_->indexLeaves(), &database_->planHandover());
        decoder_.emplace(file, database_->text());
        try {
            complex_.emplace(*database_, entry, table_);
            for (const auto& [index, kind] : complex_->unknownKinds())
                columns_[index].unknownKind = kind;
        } catch (const FormatError& e) {
            if (valuesUnreadable_.empty()) valuesUnreadable_ = e.what();
        }
    });
}

std::int64_t TableCursor::rowCount() {
    return readingGuarded(*database_, what_, [&] { return scanner_->rowCount(); });
}

bool TableCursor::fetch(std::vector<db::Value>& row) {
    return readingGuarded(*database_, what_, [&] {
        row.resize(table_.columns.size());
        while (scanner_->next()) {
            if (!valuesUnreadable_.empty()) {
                scanner_->loseRow(valuesUnreadable_, false);
                continue;
            }
            std::size_t column = table_.columns.size();
            try {
                layout_->split(scanner_->row(), fields_);
                for (column = 0; column < table_.columns.size(); ++column)
                    decoder_->decode(table_.columns[column], fields_[column], row[column]);
                complex_->resolve(row);
                return true;
            } catch (const FormatError& e) {
                scanner_->loseRow(column < table_.columns.size()
                                      ? "column '" + table_.columns[column].name + "': " + e.what()
                                      : std::string(e.what()));
            }
        }
        return false;
    });
}

}  // namespace velmora::access

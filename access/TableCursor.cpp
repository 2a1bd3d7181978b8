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
            // The other columns' values do not depend on those types: the rows still give them.
            lostColumns_.reason =
                std::string("the result types of these calculated fields cannot be read (") +
                e.what() + ")";
        }
        for (std::size_t i = 0; i < table_.columns.size(); ++i) {
            const ColumnDefinition& c = table_.columns[i];
            if (!lostColumns_.reason.empty() && c.calculated) {
                lostColumns_.names.push_back(c.name);
                continue;
            }
            delivered_.push_back(i);
            columns_.push_back(adoColumnOf(c, file.format().jet3));
        }
        if (lostColumns_.names.empty()) delivered_.clear();
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
        while (scanner_->next()) {
            if (!valuesUnreadable_.empty()) {
                scanner_->loseRow(valuesUnreadable_, false);
                continue;
            }
            std::size_t column = table_.columns.size();
            const bool whole = lostColumns_.names.empty();
            std::vector<db::Value>& values = whole ? row : wholeRow_;
            try {
                layout_->split(scanner_->row(), fields_);
                values.resize(table_.columns.size());
                for (column = 0; column < table_.columns.size(); ++column) {
                    if (!whole && table_.columns[column].calculated)
                        values[column].setNull();
                    else
                        decoder_->decode(table_.columns[column], fields_[column], values[column]);
                }
                complex_->resolve(values);
                if (!whole) {
                    row.resize(delivered_.size());
                    for (std::size_t i = 0; i < delivered_.size(); ++i)
                        row[i] = std::move(values[delivered_[i]]);
                }
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

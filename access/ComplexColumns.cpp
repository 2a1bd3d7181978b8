#include "access/ComplexColumns.h"

#include <charconv>
#include <cstdio>

#include "access/NameFolding.h"
#include "access/RowLayout.h"
#include "access/RowScanner.h"
#include "access/ValueDecoder.h"
#include "dataaccess/Calendar.h"

namespace velmora::access {

namespace {

constexpr std::uint32_t kPageMask = 0x00FFFFFF;

// Every row of a table, decoded; throws FormatError when any row cannot be read, since a
// value missing from the list would change the text made of it.
std::vector<std::vector<db::Value>> readAll(const AccessDatabase& database,
                                            const TableDefinition& table) {
    RowScanner rows(database.file(), table);
    RowLayout layout(database.file().format(), table);
    ValueDecoder decoder(database.file(), database.text());
    std::vector<Field> fields;
    std::vector<std::vector<db::Value>> all;
    while (rows.next()) {
        layout.split(rows.row(), fields);
        auto& row = all.emplace_back(table.columns.size());
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            decoder.decode(table.columns[i], fields[i], row[i]);
    }
    if (!rows.lost().empty())
        throw FormatError("its rows cannot all be read (" + rows.lost().front().reason + ")");
    return all;
}

int indexOf(const TableDefinition& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (sameName(table.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string dateText(db::DateTime value) {
    if (value.serial >= 0) value.serial += 0.5 / 86400;  // to the nearest second
    const db::CivilDateTime c = db::toCivil(value);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", c.date.month, c.date.day,
                  c.date.year, c.hour, c.minute, c.second);
    return text;
}

// The types whose values ValueDecoder reads as what they are.
bool knownValueType(std::uint8_t type) {
    return (type >= jet_type::kBoolean && type <= jet_type::kMemo) || type == jet_type::kGuid ||
           type == jet_type::kNumeric || type == jet_type::kComplex || type == jet_type::kBigInt ||
           type == jet_type::kExtendedDateTime;
}

std::string valueText(const db::Value& value) {
    char buffer[64];
    switch (value.kind()) {
        case db::ValueKind::Text:
            return value.asText();
        case db::ValueKind::Integer:
            return std::to_string(value.asInt());
        case db::ValueKind::Double:
            return std::string(buffer,
                               std::to_chars(buffer, buffer + sizeof buffer, value.asDouble()).ptr);
        case db::ValueKind::Single:
            return std::string(buffer,
                               std::to_chars(buffer, buffer + sizeof buffer, value.asSingle()).ptr);
        case db::ValueKind::Decimal:
            return value.asDecimal().toString();
        case db::ValueKind::Currency:
            return value.asCurrency().toString();
        case db::ValueKind::Guid:
            return value.asGuid().toString();
        case db::ValueKind::DateTime:
            return dateText(value.asDateTime());
        case db::ValueKind::Boolean:
            return value.asBool() ? "True" : "False";
        case db::ValueKind::Bytes: {  // a kind not known: its bytes, exactly
            static constexpr char kDigits[] = "0123456789ABCDEF";
            std::string hex;
            for (const std::uint8_t b : value.asBytes()) {
                hex += kDigits[b >> 4];
                hex += kDigits[b & 15];
            }
            return hex;
        }
        default:
            return {};
    }
}

}  // namespace

ComplexValues::ComplexValues(const AccessDatabase& database, const CatalogueEntry& entry,
                             const TableDefinition& table) {
    bool any = false;
    for (const ColumnDefinition& c : table.columns) any = any || c.valueType == jet_type::kComplex;
    if (!any) return;
    const CatalogueEntry* catalogue = database.catalogue().find("MSysComplexColumns");
    if (catalogue == nullptr) throw FormatError("the table of complex columns is missing");
    const TableDefinition complexColumns =
        readTableDefinition(database.file(), database.text(), catalogue->definitionPage);
    const int nameAt = indexOf(complexColumns, "ColumnName");
    const int flatAt = indexOf(complexColumns, "FlatTableID");
    const int tableAt = indexOf(complexColumns, "ConceptualTableID");
    if (nameAt < 0 || flatAt < 0 || tableAt < 0)
        throw FormatError("the table of complex columns lacks a column");
    std::vector<std::vector<db::Value>> described;
    try {
        described = readAll(database, complexColumns);
    } catch (const FormatError& e) {
        throw FormatError(std::string("the table of complex columns is damaged: ") + e.what());
    }

    for (std::size_t index = 0; index < table.columns.size(); ++index) {
        const ColumnDefinition& column = table.columns[index];
        if (column.valueType != jet_type::kComplex) continue;
        std::uint32_t flatPage = 0;
        for (const auto& row : described)
            if (row[nameAt].kind() == db::ValueKind::Text &&
                sameName(row[nameAt].asText(), column.name) &&
                row[tableAt].kind() == db::ValueKind::Integer &&
                (static_cast<std::uint32_t>(row[tableAt].asInt()) & kPageMask) ==
                    entry.definitionPage &&
                row[flatAt].kind() == db::ValueKind::Integer)
                flatPage = static_cast<std::uint32_t>(row[flatAt].asInt()) & kPageMask;
        if (flatPage == 0)
            throw FormatError("the values of complex column '" + column.name + "' are missing");
        const TableDefinition flat =
            readTableDefinition(database.file(), database.text(), flatPage);
        // The key column is "_" and the column's name, the name it had when the values
        // were first stored (a renamed column keeps it).
        int keyAt = indexOf(flat, "_" + column.name);
        for (std::size_t i = 0; keyAt < 0 && i < flat.columns.size(); ++i)
            if (flat.columns[i].name.rfind("_", 0) == 0 && flat.columns[i].type == jet_type::kLong)
                keyAt = static_cast<int>(i);
        if (keyAt < 0)
            throw FormatError("the values of complex column '" + column.name + "' have no key");
        // Multi-valued: "Value"; attachment: "FileName"; version history: the memo's own
        // column and "Modified_...", the date of each version.
        int valueAt = indexOf(flat, "Value");
        if (valueAt < 0) valueAt = indexOf(flat, "FileName");
        int modifiedAt = -1;
        for (std::size_t i = 0; valueAt < 0 && i < flat.columns.size(); ++i)
            if (flat.columns[i].name.rfind("Modified_", 0) == 0) modifiedAt = static_cast<int>(i);
        if (valueAt < 0 && modifiedAt >= 0)
            for (std::size_t i = 0; i < flat.columns.size(); ++i) {
                const std::string& name = flat.columns[i].name;
                if (static_cast<int>(i) != keyAt && static_cast<int>(i) != modifiedAt &&
                    flat.columns[i].type != jet_type::kLong && name.rfind("_", 0) != 0)
                    valueAt = static_cast<int>(i);
            }
        if (valueAt < 0)
            throw FormatError("the values of complex column '" + column.name +
                              "' are of a kind this reader does not know");

        Column resolved{index, {}, {}};
        if (!knownValueType(flat.columns[static_cast<std::size_t>(valueAt)].valueType)) {
            char kind[40];
            std::snprintf(kind, sizeof kind, "complex values of type 0x%02X",
                          flat.columns[static_cast<std::size_t>(valueAt)].valueType);
            resolved.unknownKind = kind;
        }
        std::vector<std::vector<db::Value>> values;
        try {
            values = readAll(database, flat);
        } catch (const FormatError& e) {
            throw FormatError("the values of complex column '" + column.name +
                              "' are damaged: " + e.what());
        }
        for (const auto& row : values) {
            if (row[keyAt].kind() != db::ValueKind::Integer || row[valueAt].isNull()) continue;
            std::string& text = resolved.text[row[keyAt].asInt()];
            if (modifiedAt >= 0) {
                if (!text.empty()) text += "\r\n";
                text += "[Version: " +
                        (row[modifiedAt].kind() == db::ValueKind::DateTime
                             ? dateText(row[modifiedAt].asDateTime())
                             : std::string()) +
                        "] " + valueText(row[valueAt]);
            } else {
                if (!text.empty()) text += "; ";
                text += valueText(row[valueAt]);
            }
        }
        columns_.push_back(std::move(resolved));
    }
}

std::vector<std::pair<std::size_t, std::string>> ComplexValues::unknownKinds() const {
    std::vector<std::pair<std::size_t, std::string>> kinds;
    for (const Column& column : columns_)
        if (!column.unknownKind.empty()) kinds.emplace_back(column.index, column.unknownKind);
    return kinds;
}

void ComplexValues::resolve(std::vector<db::Value>& row) const {
    for (const Column& column : columns_) {
        db::Value& value = row[column.index];
        if (value.kind() != db::ValueKind::Integer) continue;
        const auto found = column.text.find(value.asInt());
        if (found == column.text.end())
            value.setNull();
        else
            value.setText() = found->second;
    }
}

}  // namespace velmora::access

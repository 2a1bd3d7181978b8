#include "access/RulesRowsets.h"

#include <algorithm>
#include <map>

#include "access/LongValue.h"
#include "access/NameFolding.h"
#include "access/PropertyBlob.h"
#include "access/SavedQueries.h"
#include "access/TableCursor.h"
#include "access/TableDefinition.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/FixedRowsCursor.h"

namespace velmora::access {

namespace {

db::ColumnInfo textColumn(const char* name) {
    return {name, db::ado::adVarWChar, 255, 0, {}};
}
db::ColumnInfo boolColumn(const char* name) {
    return {name, db::ado::adBoolean, 2, 0, {}};
}
db::ColumnInfo intColumn(const char* name) {
    return {name, db::ado::adInteger, 4, 0, {}};
}

db::Value textOrNull(const PropertyObject* object, std::string_view property,
                     const TextDecoder& decoder) {
    if (object == nullptr) return {};
    const Property* p = object->find(property);
    if (p == nullptr) return {};
    std::string text = propertyText(*p, decoder);
    if (text.empty()) return {};
    return db::Value(std::move(text));
}

// Access shows a combo or list box for a column whose lookup is set up
// (DisplayControl 110 or 111) with the values it offers in RowSource.
db::Value lookupOf(const PropertyObject* object, const TextDecoder& decoder) {
    if (object == nullptr) return {};
    const Property* control = object->find("DisplayControl");
    if (control == nullptr || control->value.size() < 2) return {};
    const int kind = control->value[0] | (control->value[1] << 8);
    if (kind != 110 && kind != 111) return {};
    db::Value source = textOrNull(object, "RowSource", decoder);
    return source.isNull() ? db::Value(std::string("(lookup)")) : source;
}

// An empty restriction lets every table through.
bool restrictedTo(std::string_view table, std::string_view name) {
    return table.empty() || sameName(name, table);
}

}  // namespace

std::unique_ptr<db::RowCursor> columnRulesRowset(const AccessDatabase& database,
                                                 std::string_view table) {
    std::vector<db::ColumnInfo> columns{
        textColumn("TABLE_NAME"),      textColumn("COLUMN_NAME"),
        intColumn("ORDINAL_POSITION"), boolColumn("COLUMN_HASDEFAULT"),
        textColumn("COLUMN_DEFAULT"),  boolColumn("IS_NULLABLE"),
        textColumn("DESCRIPTION"),     textColumn("VALIDATION_RULE"),
        textColumn("VALIDATION_TEXT"), textColumn("FORMAT"),
        textColumn("INPUT_MASK"),      textColumn("LOOKUP")};
    std::vector<std::vector<db::Value>> rows;
    const TextDecoder& text = database.text();
    return readingGuarded(database, "the column properties", [&] {
        for (const CatalogueEntry& entry : database.catalogue().entries()) {
            if (entry.tableType != "TABLE" || !restrictedTo(table, entry.name)) continue;
            const TableDefinition definition =
                readTableDefinition(database.file(), database.text(), entry.definitionPage);
            std::vector<std::uint8_t> blob;
            if (!entry.propertiesField.empty())
                LongValueReader(database.file())
                    .read(ByteSpan(entry.propertiesField.data(), entry.propertiesField.size()),
                          blob);
            const auto objects = readPropertyBlob(ByteSpan(blob.data(), blob.size()), text);
            auto objectNamed = [&](std::string_view name) -> const PropertyObject* {
                for (const PropertyObject& o : objects)
                    if (sameName(o.name, name)) return &o;
                return nullptr;
            };
            // The table's own rule: a row with no column name.
            if (const PropertyObject* own = objectNamed(entry.name)) {
                db::Value rule = textOrNull(own, "ValidationRule", text);
                db::Value description = textOrNull(own, "Description", text);
                if (!rule.isNull() || !description.isNull())
                    rows.push_back({db::Value(entry.name),
                                    {},
                                    {},
                                    db::Value(false),
                                    {},
                                    db::Value(true),
                                    description,
                                    rule,
                                    textOrNull(own, "ValidationText", text),
                                    {},
                                    {},
                                    {}});
            }
            for (std::size_t i = 0; i < definition.columns.size(); ++i) {
                const PropertyObject* o = objectNamed(definition.columns[i].name);
                db::Value defaultValue = textOrNull(o, "DefaultValue", text);
                const Property* required = o ? o->find("Required") : nullptr;
                const bool notNull =
                    required && !required->value.empty() && required->value[0] != 0;
                rows.push_back(
                    {db::Value(entry.name), db::Value(definition.columns[i].name),
                     db::Value(static_cast<std::int32_t>(i + 1)), db::Value(!defaultValue.isNull()),
                     defaultValue, db::Value(!notNull), textOrNull(o, "Description", text),
                     textOrNull(o, "ValidationRule", text), textOrNull(o, "ValidationText", text),
                     textOrNull(o, "Format", text), textOrNull(o, "InputMask", text),
                     lookupOf(o, text)});
            }
        }
        return std::make_unique<db::FixedRowsCursor>(std::move(columns), std::move(rows));
    });
}

std::unique_ptr<db::RowCursor> foreignKeysRowset(std::shared_ptr<const AccessDatabase> database,
                                                 std::string_view table) {
    std::vector<db::ColumnInfo> columns{
        textColumn("FK_NAME"),       textColumn("PK_TABLE_NAME"),  textColumn("PK_COLUMN_NAME"),
        textColumn("FK_TABLE_NAME"), textColumn("FK_COLUMN_NAME"), intColumn("ORDINAL"),
        textColumn("UPDATE_RULE"),   textColumn("DELETE_RULE"),    boolColumn("IS_ENFORCED")};
    std::vector<std::vector<db::Value>> rows;
    const Catalogue& catalogue = database->catalogue();
    const CatalogueEntry* relationships = catalogue.find("MSysRelationships");
    if (relationships != nullptr && relationships->tableType != "VIEW") {
        TableCursor cursor(database, *relationships);
        std::map<std::string, int> at;
        for (std::size_t i = 0; i < cursor.columns().size(); ++i)
            at[cursor.columns()[i].name] = static_cast<int>(i);
        for (const char* needed : {"szRelationship", "grbit", "icolumn", "szObject", "szColumn",
                                   "szReferencedObject", "szReferencedColumn"})
            if (!at.count(needed)) return std::make_unique<db::FixedRowsCursor>(columns, rows);
        std::vector<db::Value> row;
        auto text = [&](const char* c) {
            const db::Value& v = row[static_cast<std::size_t>(at[c])];
            return v.kind() == db::ValueKind::Text ? v.asText() : std::string();
        };
        auto isUserTable = [&](const std::string& name) {
            const CatalogueEntry* e = catalogue.find(name);
            return e != nullptr && (e->tableType == "TABLE" || e->tableType == "LINK");
        };
        while (cursor.fetch(row)) {
            // DAO's relation attributes: 2 not enforced, 0x100 cascade updates,
            // 0x1000 cascade deletes.
            const db::Value& bits = row[static_cast<std::size_t>(at["grbit"])];
            const std::int64_t grbit = bits.kind() == db::ValueKind::Integer ? bits.asInt() : 0;
            if (!isUserTable(text("szObject")) || !isUserTable(text("szReferencedObject")))
                continue;
            if (!restrictedTo(table, text("szObject")) &&
                !restrictedTo(table, text("szReferencedObject")))
                continue;
            const db::Value& index = row[static_cast<std::size_t>(at["icolumn"])];
            rows.push_back({db::Value(text("szRelationship")),
                            db::Value(text("szReferencedObject")),
                            db::Value(text("szReferencedColumn")), db::Value(text("szObject")),
                            db::Value(text("szColumn")),
                            db::Value(static_cast<std::int32_t>(
                                (index.kind() == db::ValueKind::Integer ? index.asInt() : 0) + 1)),
                            db::Value(std::string((grbit & 0x100) ? "CASCADE" : "NO ACTION")),
                            db::Value(std::string((grbit & 0x1000) ? "CASCADE" : "NO ACTION")),
                            db::Value((grbit & 2) == 0)});
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        if (a[0].asText() != b[0].asText()) return a[0].asText() < b[0].asText();
        return a[5].asInt() < b[5].asInt();
    });
    return std::make_unique<db::FixedRowsCursor>(std::move(columns), std::move(rows));
}

std::unique_ptr<db::RowCursor> viewsRowset(std::shared_ptr<const AccessDatabase> database,
                                           std::string_view table) {
    std::vector<db::ColumnInfo> columns{textColumn("TABLE_NAME"), textColumn("VIEW_DEFINITION")};
    std::vector<std::vector<db::Value>> rows;
    // A query whose SQL text cannot be rebuilt from its pieces has a Null definition.
    const std::map<std::int64_t, std::string> texts = SavedQueryTexts(database);
    for (const CatalogueEntry& entry : database->catalogue().entries()) {
        if (entry.tableType != "VIEW" || entry.name.rfind("~", 0) == 0 ||
            !restrictedTo(table, entry.name))
            continue;
        const auto text = texts.find(entry.id);
        rows.push_back(
            {db::Value(entry.name), text == texts.end() ? db::Value() : db::Value(text->second)});
    }
    return std::make_unique<db::FixedRowsCursor>(std::move(columns), std::move(rows));
}

}  // namespace velmora::access

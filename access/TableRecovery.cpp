#include "access/TableRecovery.h"

#include <algorithm>
#include <set>
#include <string>
#include <unordered_set>

#include "access/ByteSpan.h"
#include "access/JetFormat.h"
#include "access/NameFolding.h"

namespace velmora::access {

namespace {

// The columns of the system tables of every Access version, each set sorted and folded.
const std::set<std::vector<std::u32string>>& systemColumnSets() {
    static const std::set<std::vector<std::u32string>> sets = [] {
        const std::vector<std::vector<const char*>> tables = {
            {"ObjectId", "SID", "ACM", "FInheritable"},
            {"ObjectId", "Attribute", "Order", "Name1", "Name2", "Expression", "Flag"},
            {"ObjectId", "Attribute", "Order", "Name1", "Name2", "Expression", "Flag", "LvExtra"},
            {"szRelationship", "grbit", "ccolumn", "icolumn", "szObject", "szColumn",
             "szReferencedObject", "szReferencedColumn"},
            {"Id", "ParentId", "Name", "Type", "DateCreate", "DateUpdate", "Owner", "Flags",
             "Database", "Connect", "ForeignName", "RmtInfoShort", "RmtInfoLong", "Lv", "LvProp",
             "LvModule", "LvExtra"},
            {"Id", "Name", "ParentId", "Type", "DateCreate", "DateUpdate", "Lv"},
            {"Data", "ID"},
            {"Grptbcd", "TbName"},
            {"__A__"},
            {"Name", "Type", "Version", "ReplicationVersion", "Flags", "Module", "Form",
             "TypeInfo"},
            {"Id", "Name", "Type", "Extension", "Data"},
            {"Id", "Name", "Type", "GUID", "NameMap"},
            {"Id", "Name", "Type"},
            {"Id", "Name", "Type", "SelectedObjectID", "Filter", "Position", "Flags"},
            {"Id", "Name", "GroupCategoryID", "ObjectID", "Position", "Object Type Group", "Flags"},
            {"Id", "ObjectID", "GroupID", "Name", "Position", "Icon", "Flags"},
            {"Id", "ObjectGuid", "ObjectName", "Property", "Value", "LValue"},
            {"ColumnName", "ComplexTypeObjectID", "FlatTableID", "ConceptualTableID", "ComplexID"},
            {"FileURL", "FileName", "FileType", "FileData", "FileTimeStamp", "FileFlags"},
            {"SpecID", "FieldName", "DataType", "Start", "Width", "IndexType", "SkipColumn",
             "Attributes"},
            {"SpecName", "SpecID", "SpecType", "FileType", "DateFourDigitYear", "DateLeadingZeros",
             "DateOrder", "DateDelim", "TimeDelim", "DecimalPoint", "FieldSeparator", "TextDelim",
             "StartRow"},
            {"ErrorCode", "ErrorDescription", "ErrorTable", "ErrorRecid"},
            {"ParentTableName", "ParentColName", "ChildTableName", "ChildColName", "LookupType"},
            {"TableName", "ComplexColumn", "ComplexSrcColumn", "ChildTableName"},
            {"TableName", "LastChangeToken", "References", "Pending", "XASSite", "ErrorLoading",
             "Connect"},
        };
        std::set<std::vector<std::u32string>> folded;
        for (const auto& columns : tables) {
            std::vector<std::u32string> set;
            for (const char* name : columns) set.push_back(foldName(name));
            std::sort(set.begin(), set.end());
            folded.insert(std::move(set));
        }
        return folded;
    }();
    return sets;
}

// "Modified_" and a GUID: the dates of a version history.
bool isVersionDates(const std::string& name) {
    constexpr std::string_view kPrefix = "Modified_";
    constexpr std::size_t kGuidLength = 36;
    return name.size() == kPrefix.size() + kGuidLength &&
           name.compare(0, kPrefix.size(), kPrefix) == 0 && name[kPrefix.size() + 8] == '-' &&
           name[kPrefix.size() + 13] == '-';
}

// A table holding the values of a complex column: its key column "_<column>" beside the
// column "<table>_<column>", or the template of a version history.
bool holdsComplexValues(const TableDefinition& table) {
    for (const ColumnDefinition& key : table.columns) {
        if (isVersionDates(key.name)) return true;
        if (key.name.size() < 2 || key.name[0] != '_') continue;
        for (const ColumnDefinition& c : table.columns)
            if (&c != &key && c.name.size() > key.name.size() &&
                c.name.compare(c.name.size() - key.name.size(), key.name.size(), key.name) == 0)
                return true;
    }
    return false;
}

}  // namespace

std::vector<std::uint32_t> tableDefinitionPages(const PageFile& file) {
    std::vector<std::uint32_t> definitions;
    std::unordered_set<std::uint32_t> continued;
    std::vector<std::uint8_t> page;
    for (std::uint32_t number = 2; number < file.pageCount(); ++number) {
        try {
            file.read(number, page);
        } catch (const FormatError&) {
            continue;
        }
        if (page[0] != page_type::kTableDefinition) continue;
        definitions.push_back(number);
        const std::uint32_t next = ByteSpan(page.data(), page.size()).u32(4);
        if (next != 0) continued.insert(next);
    }
    std::erase_if(definitions, [&](std::uint32_t number) { return continued.count(number) > 0; });
    return definitions;
}

bool isSystemTable(const TableDefinition& table) {
    std::vector<std::u32string> names;
    for (const ColumnDefinition& c : table.columns) names.push_back(foldName(c.name));
    std::sort(names.begin(), names.end());
    if (systemColumnSets().count(names) > 0) return true;
    // The templates of the simple complex types: one column "Value", never a row.
    if (names.size() == 1 && names[0] == foldName("Value") && table.storedRowCount == 0)
        return true;
    return holdsComplexValues(table);
}

}  // namespace velmora::access

#include "engine/TypeMapping.h"

#include <array>

namespace velmora {

namespace {

struct MappingRow {
    std::array<const char*, 2> tests;
    const char* columnType;
    const char* accessType;
    const char* paradoxType;
    TypeMapping::Role role;
};

using Role = TypeMapping::Role;

// Tried from the top; the first row whose test the label contains wins. Single maps to
// FLOAT (INT would cut 3.75 to 3) and Access's date-time (adDate) to TIMESTAMP (a
// Paradox Date holds no time of day); both keep every value whole.
constexpr MappingRow kMapping[] = {
    {{"char", nullptr}, " TEXT(", "har", "TEXT", Role::Text},
    {{"adlongvarbinary", nullptr}, " VARCHAR, ", "adlongvarbinary", "VARCHAR", Role::Binary},
    {{"longvar", nullptr}, " VARCHAR, ", "longvar", "VARCHAR", Role::Text},
    {{"double", nullptr}, " FLOAT, ", "double", "FLOAT", Role::Numeric},
    {{"single", nullptr}, " FLOAT, ", "single", "FLOAT", Role::Numeric},
    {{"smallint", "tinyint"}, " SMALLINT, ", "smallint", "SMALLINT", Role::Numeric},
    {{"int", nullptr}, " INT, ", "int", "INT", Role::Numeric},
    {{"currency", "numeric"}, " CURRENCY, ", "currency", "CURRENCY", Role::Numeric},
    {{"decimal", nullptr}, " DECIMAL, ", "decimal", "DECIMAL", Role::Numeric},
    {{"addate", nullptr}, " TIMESTAMP, ", "date", "TIMESTAMP", Role::Text},
    {{"date", nullptr}, " DATE, ", "date", "DATE", Role::Text},
    {{"timestamp", nullptr}, " TIMESTAMP, ", "date", "TIMESTAMP", Role::Text},
    {{"bool", nullptr}, " BIT, ", "bool", "BIT", Role::Numeric},
};

}  // namespace

TypeMapping MapType(const QString& label, long definedSize) {
    for (const MappingRow& row : kMapping) {
        const bool matches =
            label.contains(QLatin1String(row.tests[0])) ||
            (row.tests[1] != nullptr && label.contains(QLatin1String(row.tests[1])));
        if (!matches) continue;
        TypeMapping mapping{QString::fromLatin1(row.columnType),
                            QString::fromLatin1(row.accessType),
                            QString::fromLatin1(row.paradoxType), row.role};
        if (mapping.paradoxType == QLatin1String("TEXT"))
            mapping.columnType +=
                QString::number(definedSize < 256 ? definedSize : 255) + QStringLiteral("), ");
        return mapping;
    }
    return TypeMapping{QStringLiteral(" VARCHAR, "), QStringLiteral("OTHER TYPES"),
                       QStringLiteral("VARCHAR"), Role::Text};
}

}  // namespace velmora

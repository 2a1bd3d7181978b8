#pragma once
// The type mapping: which Paradox column type an Access field gets, by its ADO type name.

#include <QString>

namespace velmora {

// One row of the type mapping: the first row whose test matches a field's lower-cased
// ADO type name decides its column type.
struct TypeMapping {
    QString columnType;  // appended after the column name; TEXT carries its size
    QString accessType;
    QString paradoxType;
    enum class Role { Text, Numeric, Binary } role = Role::Text;
};

TypeMapping MapType(const QString& typeLabel, long definedSize);

}  // namespace velmora

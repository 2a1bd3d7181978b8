#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace velmora {

// The ADO enumerator name of a data type code; no value for a code outside the enumeration.
std::optional<QString> AdoTypeName(std::int16_t code);

// The name Access's table design gives a field that the provider reports with this ADO
// type ("Short Text", "Number (Long Integer)"); the ADO name for any other type.
QString AccessTypeName(std::int16_t code);

}  // namespace velmora

#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace velmora {

// The ADO enumerator name of a data type code; no value for a code outside the enumeration.
std::optional<QString> AdoTypeName(std::int16_t code);

}  // namespace velmora

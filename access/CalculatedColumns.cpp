#include "access/CalculatedColumns.h"

#include <algorithm>

#include "access/LongValue.h"
#include "access/PropertyBlob.h"

namespace velmora::access {

void applyCalculatedResultTypes(const PageFile& file,
                                const std::vector<std::uint8_t>& propertiesField,
                                TableDefinition& table) {
    const auto calculated = [](const ColumnDefinition& c) { return c.calculated; };
    if (propertiesField.empty() ||
        std::none_of(table.columns.begin(), table.columns.end(), calculated))
        return;
    std::vector<std::uint8_t> blob;
    LongValueReader(file).read(ByteSpan(propertiesField.data(), propertiesField.size()), blob);
    const ByteSpan bytes(blob.data(), blob.size());
    for (ColumnDefinition& c : table.columns) {
        if (!c.calculated) continue;
        if (auto type = bytePropertyOf(bytes, c.name, "ResultType")) c.valueType = *type;
    }
}

}  // namespace velmora::access

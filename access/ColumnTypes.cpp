#include "access/ColumnTypes.h"

#include <cstdio>

#include "dataaccess/AdoTypes.h"

namespace velmora::access {

namespace {
// What ADO reports as the defined size of unbounded text and binary columns.
constexpr long kLongTextSize = 536870910;
constexpr long kLongBinarySize = 1073741823;
}  // namespace

db::ColumnInfo adoColumnOf(const ColumnDefinition& column, bool jet3) {
    using namespace db::ado;
    db::ColumnInfo info;
    info.name = column.name;
    info.autoNumber = column.autoNumber       ? db::AutoNumber::Increment
                      : column.guidAutoNumber ? db::AutoNumber::Guid
                                              : db::AutoNumber::None;
    const auto set = [&info](std::int16_t type, long size) {
        info.type = type;
        info.definedSize = size;
    };
    switch (column.valueType) {
        case jet_type::kBoolean:
            set(adBoolean, 2);
            break;
        case jet_type::kByte:
            set(adUnsignedTinyInt, 1);
            break;
        case jet_type::kInteger:
            set(adSmallInt, 2);
            break;
        case jet_type::kLong:
            set(adInteger, 4);
            break;
        case jet_type::kComplex:  // read as the text of its values
            set(adLongVarWChar, kLongTextSize);
            break;
        case jet_type::kBigInt:
            set(adBigInt, 8);
            break;
        case jet_type::kSingle:
            set(adSingle, 4);
            break;
        case jet_type::kDouble:
            set(adDouble, 8);
            break;
        case jet_type::kCurrency:
            set(adCurrency, 8);
            break;
        case jet_type::kNumeric:
            set(adNumeric, 19);
            break;
        case jet_type::kDateTime:
        case jet_type::kExtendedDateTime:
            set(adDate, 8);
            break;
        case jet_type::kGuid:
            set(adGUID, 16);
            break;
        case jet_type::kText: {
            // Jet4 stores two bytes per character; Jet3 one.
            const long characters = jet3 ? column.length : column.length / 2;
            set(column.fixed && !column.calculated ? adWChar : adVarWChar, characters);
            break;
        }
        case jet_type::kMemo:
            set(adLongVarWChar, kLongTextSize);
            break;
        case jet_type::kOle:
            set(adLongVarBinary, kLongBinarySize);
            break;
        case jet_type::kBinary:
            set(column.fixed ? adBinary : adVarBinary, column.length);
            break;
        default: {  // a kind this reader does not know: its bytes as stored
            set(column.fixed ? adBinary : adVarBinary, column.length);
            char kind[16];
            std::snprintf(kind, sizeof kind, "type 0x%02X", column.valueType);
            info.unknownKind = kind;
            break;
        }
    }
    if (column.valueType == jet_type::kNumeric) info.numericScale = column.scale;
    return info;
}

}  // namespace velmora::access

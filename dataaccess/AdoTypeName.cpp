#include "dataaccess/AdoTypeName.h"

#include <algorithm>
#include <array>
#include <utility>

#include "dataaccess/AdoTypes.h"

namespace velmora {

std::optional<QString> AdoTypeName(std::int16_t code) {
    static constexpr std::array<std::pair<std::int16_t, const char*>, 39> kNames{{
        {0, "adEmpty"},
        {2, "adSmallInt"},
        {3, "adInteger"},
        {4, "adSingle"},
        {5, "adDouble"},
        {6, "adCurrency"},
        {7, "adDate"},
        {8, "adBSTR"},
        {9, "adIDispatch"},
        {10, "adError"},
        {11, "adBoolean"},
        {12, "adVariant"},
        {13, "adIUnknown"},
        {14, "adDecimal"},
        {16, "adTinyInt"},
        {17, "adUnsignedTinyInt"},
        {18, "adUnsignedSmallInt"},
        {19, "adUnsignedInt"},
        {20, "adBigInt"},
        {21, "adUnsignedBigInt"},
        {64, "adFileTime"},
        {72, "adGUID"},
        {128, "adBinary"},
        {129, "adChar"},
        {130, "adWChar"},
        {131, "adNumeric"},
        {132, "adUserDefined"},
        {133, "adDBDate"},
        {134, "adDBTime"},
        {135, "adDBTimeStamp"},
        {136, "adChapter"},
        {138, "adPropVariant"},
        {139, "adVarNumeric"},
        {200, "adVarChar"},
        {201, "adLongVarChar"},
        {202, "adVarWChar"},
        {203, "adLongVarWChar"},
        {204, "adVarBinary"},
        {205, "adLongVarBinary"},
    }};
    const auto* it = std::find_if(kNames.begin(), kNames.end(),
                                  [code](const auto& entry) { return entry.first == code; });
    if (it == kNames.end()) return std::nullopt;
    return QString::fromLatin1(it->second);
}

QString AccessTypeName(std::int16_t code) {
    using namespace db::ado;
    switch (code) {
        case adWChar:
        case adVarWChar:
            return QStringLiteral("Short Text");
        case adLongVarWChar:
            return QStringLiteral("Long Text");
        case adUnsignedTinyInt:
            return QStringLiteral("Number (Byte)");
        case adSmallInt:
            return QStringLiteral("Number (Integer)");
        case adInteger:
            return QStringLiteral("Number (Long Integer)");
        case adBigInt:
            return QStringLiteral("Large Number");
        case adSingle:
            return QStringLiteral("Number (Single)");
        case adDouble:
            return QStringLiteral("Number (Double)");
        case adNumeric:
        case adDecimal:
            return QStringLiteral("Number (Decimal)");
        case adGUID:
            return QStringLiteral("Number (Replication ID)");
        case adCurrency:
            return QStringLiteral("Currency");
        case adDate:
            return QStringLiteral("Date/Time");
        case adBoolean:
            return QStringLiteral("Yes/No");
        case adLongVarBinary:
            return QStringLiteral("OLE Object");
        case adBinary:
        case adVarBinary:
            return QStringLiteral("Binary");
        default:
            return AdoTypeName(code).value_or(QStringLiteral("type ") + QString::number(code));
    }
}

}  // namespace velmora

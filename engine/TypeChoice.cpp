#include "engine/TypeChoice.h"

#include <algorithm>
#include <cstdint>

namespace velmora {

namespace {

constexpr std::int64_t kLongMax = 2147483647;  // -2147483648 marks a blank Long
constexpr std::int64_t kShortMax = 32767;      // -32768 marks a blank Short
constexpr int kBigIntDigits = 19;
constexpr int kBcdDigits = 32;
constexpr int kDecimalTextLength = 64;  // a sign, a point and Access's 28 digits fit

bool isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

bool outside(const ColumnProfile& values, std::int64_t limit) {
    return values.hasInteger && (values.smallestInteger < -limit || values.largestInteger > limit);
}

TypeMapping retyped(TypeMapping mapping, const QString& paradoxType, const QString& columnType) {
    mapping.paradoxType = paradoxType;
    mapping.columnType = u' ' + columnType + QStringLiteral(", ");
    return mapping;
}

QString decimalType(int precision, int scale) {
    scale = std::clamp(scale, 0, kBcdDigits);
    precision = std::clamp(precision, std::max(scale, 1), kBcdDigits);
    return QStringLiteral("DECIMAL(%1,%2)").arg(precision).arg(scale);
}

}  // namespace

TypeMapping FitTypeToValues(const TypeMapping& mapped, const QString& label, long definedSize,
                            const ColumnProfile& values, int codePage, bool keepBinary) {
    const QString& type = mapped.paradoxType;
    if (mapped.role == TypeMapping::Role::Binary) {
        if (!keepBinary) {
            TypeMapping empty = mapped;
            empty.paradoxType = QStringLiteral("VARCHAR (left empty)");
            return empty;
        }
        // Written as a hexadecimal literal, which takes no quotes.
        TypeMapping blob = retyped(mapped, "BLOB", "BLOB");
        blob.role = TypeMapping::Role::Numeric;
        return blob;
    }
    if (mapped.role == TypeMapping::Role::Text &&
        (type == QLatin1String("TEXT") || type == QLatin1String("VARCHAR"))) {
        const std::int64_t longest =
            isDoubleByte(codePage) ? values.longestDoubleByteText : values.longestText;
        if (longest > kLongestAlpha || values.hasZeroCharacter)
            return retyped(mapped, "MEMO", "MEMO");
        // A double-byte Alpha field's size counts bytes, not characters.
        if (isDoubleByte(codePage) && type == QLatin1String("TEXT") &&
            longest > std::min<long>(definedSize, kLongestAlpha))
            return retyped(mapped, "TEXT", QStringLiteral("TEXT(%1)").arg(longest));
        return mapped;
    }
    if (type == QLatin1String("SMALLINT") && outside(values, kShortMax))
        return retyped(mapped, "INT", "INT");
    if (type == QLatin1String("INT") && outside(values, kLongMax)) {
        // A Number holds every Long exactly; beyond that only BCD keeps every digit.
        if (label.contains(QLatin1String("bigint")))
            return retyped(mapped, "DECIMAL", decimalType(kBigIntDigits, 0));
        return retyped(mapped, "FLOAT", "FLOAT");
    }
    if (type == QLatin1String("CURRENCY") && values.inexactInMoney) {
        // BCD holds 32 digits: the source's scale when the integer digits leave room for
        // it, else the decimals that values need without their trailing zeros. When even
        // those do not fit, only the exact decimal text keeps every value.
        int scale = values.decimalScale;
        if (values.decimalIntegerDigits + scale > kBcdDigits)
            scale = values.decimalSignificantScale;
        if (values.decimalIntegerDigits + scale > kBcdDigits) {
            TypeMapping text =
                retyped(mapped, "TEXT", QStringLiteral("TEXT(%1)").arg(kDecimalTextLength));
            text.role = TypeMapping::Role::Text;
            return text;
        }
        return retyped(
            mapped, "DECIMAL",
            decimalType(std::max(values.decimalPrecision, values.decimalIntegerDigits + scale),
                        scale));
    }
    return mapped;
}

}  // namespace velmora

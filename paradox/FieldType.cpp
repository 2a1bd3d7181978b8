#include "paradox/FieldType.h"

#include "dataaccess/AdoTypes.h"

namespace velmora::paradox {

int fieldLength(std::uint8_t typeCode, std::uint8_t size) {
    switch (static_cast<FieldType>(typeCode)) {
        case FieldType::Alpha:
        case FieldType::Bytes:
            return size >= 1 ? size : 0;
        case FieldType::Date:
        case FieldType::Long:
        case FieldType::Time:
        case FieldType::AutoIncrement:
            return size == 4 ? 4 : 0;
        case FieldType::Short:
            return size == 2 ? 2 : 0;
        case FieldType::Currency:
        case FieldType::Number:
        case FieldType::Timestamp:
            return size == 8 ? 8 : 0;
        case FieldType::Logical:
            return size == 1 ? 1 : 0;
        case FieldType::Memo:
        case FieldType::Blob:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            return size >= kBlobDescriptorLength ? size : 0;
        case FieldType::Bcd:
            return size <= kBcdDigits ? kBcdLength : 0;
    }
    return 0;
}

bool isBlob(FieldType type) {
    switch (type) {
        case FieldType::Memo:
        case FieldType::Blob:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            return true;
        default:
            return false;
    }
}

std::string typeLabel(const FieldInfo& field) {
    switch (field.type) {
        case FieldType::Alpha:
            return "Alpha(" + std::to_string(field.sizeByte) + ")";
        case FieldType::Date:
            return "Date";
        case FieldType::Short:
            return "Short";
        case FieldType::Long:
            return "Long Integer";
        case FieldType::Currency:
            return "Money";
        case FieldType::Number:
            return "Number";
        case FieldType::Logical:
            return "Logical";
        case FieldType::Memo:
            return "Memo";
        case FieldType::Blob:
            return "Binary";
        case FieldType::FormattedMemo:
            return "Formatted Memo";
        case FieldType::Ole:
            return "OLE";
        case FieldType::Graphic:
            return "Graphic";
        case FieldType::Time:
            return "Time";
        case FieldType::Timestamp:
            return "Timestamp";
        case FieldType::AutoIncrement:
            return "Autoincrement";
        case FieldType::Bcd:
            return "BCD(" + std::to_string(field.sizeByte) + " decimals)";
        case FieldType::Bytes:
            return "Bytes(" + std::to_string(field.sizeByte) + ")";
    }
    return "unknown";
}

std::int16_t adoType(FieldType type) {
    using namespace db::ado;
    switch (type) {
        case FieldType::Alpha:
            return adVarChar;
        case FieldType::Date:
            return adDBDate;
        case FieldType::Short:
            return adSmallInt;
        case FieldType::Long:
        case FieldType::AutoIncrement:
            return adInteger;
        case FieldType::Currency:
            return adCurrency;
        case FieldType::Number:
            return adDouble;
        case FieldType::Logical:
            return adBoolean;
        case FieldType::Memo:
            return adLongVarChar;
        case FieldType::Time:
            return adDBTime;
        case FieldType::Timestamp:
            return adDBTimeStamp;
        case FieldType::Bcd:
            return adNumeric;
        case FieldType::Bytes:
            return adBinary;
        case FieldType::Blob:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            return adLongVarBinary;
    }
    return adEmpty;
}

}  // namespace velmora::paradox

#pragma once
// Paradox field types as the header's field table codes them, with their record lengths
// and the ADO type each one reads as.

#include <cstdint>
#include <string>

namespace velmora::paradox {

enum class FieldType : std::uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

// A field as the header describes it. For BCD the size byte is the number of decimals;
// for the blob types it is the record length (a leader of size - 10 bytes plus a
// 10-byte descriptor).
struct FieldInfo {
    std::string name;  // UTF-8
    FieldType type = FieldType::Alpha;
    std::uint8_t sizeByte = 0;
    int length = 0;  // bytes in the record
    int offset = 0;  // from the start of the record
};

inline constexpr int kBcdLength = 17;
inline constexpr int kBcdDigits = 32;
inline constexpr int kBlobDescriptorLength = 10;

// The record length of a field, or 0 when the type code or size is not valid.
int fieldLength(std::uint8_t typeCode, std::uint8_t sizeByte);
bool isBlob(FieldType type);
// Short, readable name of the type for messages ("Alpha", "Long Integer", ...).
std::string typeLabel(const FieldInfo& field);
// The ADO data type code a column of this type reports.
std::int16_t adoType(FieldType type);

}  // namespace velmora::paradox

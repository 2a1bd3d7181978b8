#pragma once
// Field bytes to data-access values: Alpha and Memo give text, Short, Long and
// Autoincrement integers, Number a double, Money a Currency (the stored double rounded
// to ten-thousandths), BCD an exact Decimal, Date, Time and Timestamp a DateTime,
// Logical a Boolean, the binary types bytes. Blank fields are Null.

#include <cstdint>
#include <string>

#include "common/text/CodePage.h"
#include "dataaccess/Value.h"
#include "paradox/FieldType.h"

namespace velmora::paradox {

// `blobFile` is the open .mb descriptor (-1 when there is none); `label` names the table.
void decodeField(const std::uint8_t* record, const FieldInfo& field, const text::CodePage& codePage,
                 int blobFile, const std::string& label, db::Value& out);
// For fields that live entirely in the record (not memo or binary fields).
db::Value decodeFixedField(const std::uint8_t* record, const FieldInfo& field, int codePage);
// Short text of a value for messages.
std::string displayText(const db::Value& value);

}  // namespace velmora::paradox

#pragma once
// Literal values of INSERT statements to field bytes. A value is taken only when the
// field holds it exactly; anything that would be cut, rounded, replaced or lost is an
// error naming the value, the column and the reason.

#include <cstdint>
#include <string>
#include <vector>

#include "common/text/CodePage.h"
#include "paradox/FieldType.h"
#include "paradox/SqlStatement.h"
#include "paradox/WritableTable.h"

namespace velmora::paradox {

struct EncodeContext {
    const text::CodePage* codePage = nullptr;
    std::uint32_t nextAutoIncrement = 1;  // for an autoincrement field left blank
    std::uint32_t autoIncrement = 0;      // out: the highest autoincrement value written
    std::vector<PendingBlob>* blobs = nullptr;
    std::string text;  // scratch
};

// Writes `literal` into the field's bytes of `record` (which starts zeroed).
void encodeLiteral(const sql::Literal& literal, int fieldIndex, const FieldInfo& field,
                   std::uint8_t* record, EncodeContext& context);
// A field the statement does not name: blank, or the next number for autoincrement.
void encodeOmitted(const FieldInfo& field, std::uint8_t* record, EncodeContext& context);

}  // namespace velmora::paradox

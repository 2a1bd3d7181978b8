#pragma once
// ADO data type codes, as fields report them through `Field::type()`.

#include <cstdint>

namespace velmora::db::ado {

enum : std::int16_t {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adIDispatch = 9,
    adError = 10,
    adBoolean = 11,
    adVariant = 12,
    adIUnknown = 13,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adFileTime = 64,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adUserDefined = 132,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adChapter = 136,
    adPropVariant = 138,
    adVarNumeric = 139,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// Connection settings the callers pass before Open.
constexpr int adUseClient = 3;
constexpr int adModeReadWrite = 3;
// OpenSchema kind for the table catalogue.
constexpr int adSchemaTables = 20;
// The rules of the tables, where the provider has them:
// COLUMNS: TABLE_NAME, COLUMN_NAME (Null for the table's own rule), ORDINAL_POSITION,
//   COLUMN_HASDEFAULT, COLUMN_DEFAULT (the expression's text), IS_NULLABLE, DESCRIPTION,
//   and Access's VALIDATION_RULE, VALIDATION_TEXT, FORMAT, INPUT_MASK, LOOKUP;
// FOREIGN_KEYS: FK_NAME, PK_TABLE_NAME, PK_COLUMN_NAME, FK_TABLE_NAME, FK_COLUMN_NAME,
//   ORDINAL (from 1), UPDATE_RULE and DELETE_RULE ("CASCADE" or "NO ACTION"), IS_ENFORCED;
// VIEWS: TABLE_NAME, VIEW_DEFINITION (Null when the SQL text is not known).
constexpr int adSchemaColumns = 4;
constexpr int adSchemaViews = 23;
constexpr int adSchemaForeignKeys = 27;

}  // namespace velmora::db::ado

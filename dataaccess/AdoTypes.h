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
// OpenSchema kinds: the table catalogue, and the indexes. The INDEXES rowset has one
// row per key column of each index, with ADO's column names: TABLE_NAME, INDEX_NAME,
// PRIMARY_KEY and UNIQUE (booleans), NULLS (adIndexNulls*), ORDINAL_POSITION (from 1),
// COLUMN_NAME and COLLATION (adCollation*).
constexpr int adSchemaIndexes = 12;
constexpr int adSchemaTables = 20;
constexpr int adIndexNullsAllow = 0;
constexpr int adIndexNullsDisallow = 1;
constexpr int adIndexNullsIgnore = 2;
constexpr int adCollationAscending = 1;
constexpr int adCollationDescending = 2;

}  // namespace velmora::db::ado

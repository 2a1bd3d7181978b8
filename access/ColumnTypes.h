#pragma once
// The ADO type and defined size that each Access column reports, as Access's own OLE DB
// provider reports them:
//
//   Yes/No adBoolean, Byte adUnsignedTinyInt, Integer adSmallInt, Long adInteger,
//   Large Number adBigInt, Single adSingle, Double adDouble, Currency adCurrency,
//   Decimal adNumeric, Date/Time adDate, Replication ID adGUID, Text adVarWChar (size in
//   characters; fixed-length text adWChar), Memo and Hyperlink adLongVarWChar,
//   OLE Object adLongVarBinary, Binary adVarBinary (fixed-length binary adBinary).
//
// Choices for the kinds that ADO has no exact word for:
//   Date/Time Extended  -> adDate; the value keeps the date and the time to the millisecond.
//   Calculated          -> the type of the calculated result (a calculated Text column is
//                          adVarWChar, a calculated Double adDouble...).
//   Attachment, multi-valued and version-history ("complex") columns -> adLongVarWChar:
//                          the text of the values (see ComplexColumns.h), never the key
//                          that links the row to them.
//   AutoNumber          -> the column's type (adInteger, adGUID) and db::AutoNumber
//                          Increment or Guid, as ADO's ISAUTOINCREMENT tells the first.
//   Kinds this reader does not know -> adVarBinary (adBinary when fixed-length), the
//                          stored bytes unchanged.

#include "access/TableDefinition.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

db::ColumnInfo adoColumnOf(const ColumnDefinition& column, bool jet3);

}  // namespace velmora::access

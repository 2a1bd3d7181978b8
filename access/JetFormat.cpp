#include "access/JetFormat.h"

namespace velmora::access {

const JetFormat& jet4Format() {
    static const JetFormat format;
    return format;
}

const JetFormat& jet3Format() {
    static const JetFormat format = [] {
        JetFormat f;
        f.jet3 = true;
        f.pageSize = 2048;
        f.dataRowCount = 0x08;
        f.tdefRowCount = 12;
        f.tdefMaxColumns = 21;
        f.tdefVarColumns = 23;
        f.tdefColumnCount = 25;
        f.tdefIndexCount = 27;
        f.tdefRealIndexCount = 31;
        f.tdefOwnedPages = 35;
        f.tdefRealIndexStart = 43;
        f.realIndexEntrySize = 8;
        f.realIndexSize = 39;
        f.realIndexColumns = 0;
        f.realIndexFlags = 38;
        f.logicalIndexSize = 20;
        f.logicalIndexData = 4;
        f.logicalIndexType = 19;
        f.columnEntrySize = 18;
        f.columnNumber = 1;
        f.columnVarIndex = 3;
        f.columnPrecision = 9;
        f.columnScale = 10;
        f.columnFlags = 13;
        f.columnExtFlags = 0;
        f.columnFixedOffset = 14;
        f.columnLength = 16;
        f.nameLengthSize = 1;
        f.rowColumnCountSize = 1;
        f.leafEntryMap = 0x16;
        f.leafEntries = 0xf8;
        return f;
    }();
    return format;
}

}  // namespace velmora::access

#pragma once
// The code pages new tables can be written in and the sort order (language driver) name
// the header gives each: Borland's engine picks a table's character set by that name,
// pxlib and our reader by the code page word at 0x6A.

#include <string_view>

namespace velmora::paradox {

// The language driver of a code page new tables may use, or empty when there is none.
constexpr std::string_view languageDriverName(int codePage) {
    switch (codePage) {
        case 1252:
            return "ascii";  // Paradox "ascii": byte order, code page 1252
        case 1250:
            return "anczech";  // Pdox ANSI Czech
        case 1251:
            return "ancyrr";  // Pdox ANSI Cyrillic
        case 1253:
            return "angreek1";  // Pdox ANSI Greek
        case 1254:
            return "anturk";  // Pdox ANSI Turkish
        case 1257:
            return "BLLT1LT0";  // Baltic (Lithuanian)
        case 1255:
            return "anhebrew";  // Pdox ANSI Hebrew
        case 1256:
            return "anarabic";  // Pdox ANSI Arabic
        case 874:
            return "anthai";  // Pdox ANSI Thai
        case 932:
            return "japan";  // Paradox Japanese (Shift-JIS)
        case 936:
            return "china";  // Paradox Simplified Chinese (GBK)
        case 949:
            return "korea";  // Paradox Korean
        case 950:
            return "taiwan";  // Paradox Traditional Chinese (Big5)
        default:
            return {};
    }
}

}  // namespace velmora::paradox

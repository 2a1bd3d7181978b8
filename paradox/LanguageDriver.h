#pragma once
// The language driver a new table of each code page declares: its name (the header's
// sort order name) and its sort order byte (0x29 of the .db and .px headers). Borland's
// engine picks a table's character set and collation by the name; pxlib and our reader
// decode text by the code page word at 0x6A. Why each pair: docs/paradox-format.md.

#include <cstdint>
#include <string_view>

namespace velmora::paradox {

struct LanguageDriver {
    std::string_view name;  // empty: no table may be written in the code page
    std::uint8_t sortOrder = 0;
};

constexpr LanguageDriver languageDriver(int codePage) {
    switch (codePage) {
        case 1252:
            return {"DBWINUS0", 0x4C};  // 'ascii' ANSI: byte order
        case 1250:
            return {"anczech", 0xDC};  // Pdox ANSI Czech
        case 1251:
            return {"ancyrr", 0x8F};  // Pdox ANSI Cyrillic
        case 1253:
            return {"angreek1", 0x0E};  // Pdox ANSI Greek
        case 1254:
            return {"ANTURK", 0xD5};  // Pdox ANSI Turkish
        case 1257:
            return {"BLLT1LT0", 0x00};  // Baltic; its sort order byte is not known
        case 1255:
            return {"ANHEBREW", 0x4C};  // Paradox ANSI HEBREW
        case 1256:
            return {"BLWINAR0", 0x3F};  // Borland ANSI Arabic
        case 874:
            return {"thai", 0xA6};  // Paradox Thai 874
        case 932:
            return {"japan", 0x0A};  // Paradox 'japan' (Shift-JIS)
        case 936:
            return {"china", 0x03};  // Paradox China 936 (GBK)
        case 949:
            return {"korea", 0x12};  // Paradox Korea 949
        case 950:
            return {"taiwan", 0x84};  // Paradox Taiwan 950 (Big5)
        default:
            return {};
    }
}

}  // namespace velmora::paradox

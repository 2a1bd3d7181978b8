#pragma once
// UTF-8 reading and writing, one code point at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::text {

// Reads one UTF-8 sequence at `text[i]`, advancing `i`; false for malformed input
// (overlong forms, surrogates, values past U+10FFFF, a cut sequence).
bool nextCodePoint(std::string_view text, std::size_t& i, char32_t& codePoint);
void appendUtf8(char32_t codePoint, std::string& out);
// The text with every control character written as an escape ("\n", "\r", "\t",
// "\u0000"), for reports: a NUL or a line break inside a value cannot cut or break them.
std::string escapeControls(std::string_view text);

}  // namespace velmora::text

#pragma once
// Splits a statement into tokens, one at a time, without copying.

#include <cstddef>
#include <string_view>

namespace velmora::paradox::sql {

inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
inline bool isWordPart(char c) {
    return isWordStart(c) || isDigit(c) || c == '$' || c == '#';
}
// Where a number that starts at `start` (a digit, or a point and a digit) ends: digits,
// a point and digits, an exponent with its digits.
std::size_t numberEnd(std::string_view source, std::size_t start);

enum class TokenKind { End, Word, QuotedName, Text, Number, Hex, Symbol };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;  // quoted kinds: the inside, doubled quotes kept
    char closingQuote = 0;  // for QuotedName
    std::size_t offset = 0;
};

class Lexer {
  public:
    explicit Lexer(std::string_view source) : source_(source) {}
    // Reads the next token into `token` (written in place: a returned copy costs more than
    // the scanning on the INSERT path). Throws a syntax error for an unclosed text or name.
    void next(Token& token);
    std::string_view source() const { return source_; }

  private:
    void quotedToken(Token& token, TokenKind kind, char closing, std::size_t start,
                     const char* what);

    std::string_view source_;
    std::size_t at_ = 0;
};

}  // namespace velmora::paradox::sql

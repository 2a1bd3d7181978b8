#pragma once
// Splits a statement into tokens, one at a time, without copying.

#include <cstddef>
#include <string_view>

namespace velmora::paradox::sql {

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

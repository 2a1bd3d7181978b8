#include "paradox/SqlLexer.h"

#include "paradox/DriverError.h"

namespace velmora::paradox::sql {

std::size_t numberEnd(std::string_view source, std::size_t start) {
    std::size_t i = start;
    while (i < source.size() && isDigit(source[i])) ++i;
    if (i < source.size() && source[i] == '.') {
        ++i;
        while (i < source.size() && isDigit(source[i])) ++i;
    }
    if (i < source.size() && (source[i] == 'e' || source[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < source.size() && (source[j] == '+' || source[j] == '-')) ++j;
        if (j < source.size() && isDigit(source[j])) {
            while (j < source.size() && isDigit(source[j])) ++j;
            i = j;
        }
    }
    return i;
}

void Lexer::quotedToken(Token& token, TokenKind kind, char closing, std::size_t start,
                        const char* what) {
    std::size_t i = start + 1;
    for (;;) {
        if (i >= source_.size()) failSyntax(source_, start, std::string(what) + " is not closed.");
        if (source_[i] == closing) {
            if (i + 1 < source_.size() && source_[i + 1] == closing) {
                i += 2;
                continue;
            }
            break;
        }
        ++i;
    }
    token.kind = kind;
    token.text = source_.substr(start + 1, i - start - 1);
    token.closingQuote = closing;
    token.offset = start;
    at_ = i + 1;
}

void Lexer::next(Token& token) {
    while (at_ < source_.size() && isSpace(source_[at_])) ++at_;
    const std::size_t start = at_;
    token.closingQuote = 0;
    token.offset = start;
    if (start >= source_.size()) {
        token.kind = TokenKind::End;
        token.text = {};
        return;
    }
    const char c = source_[start];
    if (c == '\'') return quotedToken(token, TokenKind::Text, '\'', start, "A text literal");
    if (c == '"') return quotedToken(token, TokenKind::QuotedName, '"', start, "A quoted name");
    if (c == '`') return quotedToken(token, TokenKind::QuotedName, '`', start, "A quoted name");
    if (c == '[') return quotedToken(token, TokenKind::QuotedName, ']', start, "A bracketed name");
    if ((c == 'X' || c == 'x') && start + 1 < source_.size() && source_[start + 1] == '\'') {
        quotedToken(token, TokenKind::Hex, '\'', start + 1, "A hexadecimal literal");
        token.offset = start;
        return;
    }
    if (isDigit(c) || (c == '.' && start + 1 < source_.size() && isDigit(source_[start + 1]))) {
        const std::size_t i = numberEnd(source_, start);
        at_ = i;
        token.kind = TokenKind::Number;
        token.text = source_.substr(start, i - start);
        return;
    }
    if (isWordStart(c)) {
        std::size_t i = start + 1;
        while (i < source_.size() && isWordPart(source_[i])) ++i;
        at_ = i;
        token.kind = TokenKind::Word;
        token.text = source_.substr(start, i - start);
        return;
    }
    at_ = start + 1;
    token.kind = TokenKind::Symbol;
    token.text = source_.substr(start, 1);
}

}  // namespace velmora::paradox::sql

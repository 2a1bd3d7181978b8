#include "SqlLexer.h"

#include "DriverError.h"

namespace velmora::paradox::sql {

namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isWordPart(char c) {
    return isWordStart(c) || isDigit(c) || c == '$' || c == '#';
}
}  // namespace

Token Lexer::inQuotes(TokenKind kind, char closing, std::size_t start, const char* what) {
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
    Token t{kind, source_.substr(start + 1, i - start - 1), closing, start};
    at_ = i + 1;
    return t;
}

Token Lexer::next() {
    while (at_ < source_.size() && isSpace(source_[at_])) ++at_;
    const std::size_t start = at_;
    if (start >= source_.size()) return Token{TokenKind::End, {}, 0, source_.size()};
    const char c = source_[start];
    if (c == '\'') return inQuotes(TokenKind::Text, '\'', start, "A text literal");
    if (c == '"') return inQuotes(TokenKind::QuotedName, '"', start, "A quoted name");
    if (c == '`') return inQuotes(TokenKind::QuotedName, '`', start, "A quoted name");
    if (c == '[') return inQuotes(TokenKind::QuotedName, ']', start, "A bracketed name");
    if ((c == 'X' || c == 'x') && start + 1 < source_.size() && source_[start + 1] == '\'') {
        Token t = inQuotes(TokenKind::Hex, '\'', start + 1, "A hexadecimal literal");
        t.offset = start;
        return t;
    }
    if (isDigit(c) || (c == '.' && start + 1 < source_.size() && isDigit(source_[start + 1]))) {
        std::size_t i = start;
        while (i < source_.size() && isDigit(source_[i])) ++i;
        if (i < source_.size() && source_[i] == '.') {
            ++i;
            while (i < source_.size() && isDigit(source_[i])) ++i;
        }
        if (i < source_.size() && (source_[i] == 'e' || source_[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < source_.size() && (source_[j] == '+' || source_[j] == '-')) ++j;
            if (j < source_.size() && isDigit(source_[j])) {
                while (j < source_.size() && isDigit(source_[j])) ++j;
                i = j;
            }
        }
        at_ = i;
        return Token{TokenKind::Number, source_.substr(start, i - start), 0, start};
    }
    if (isWordStart(c)) {
        std::size_t i = start + 1;
        while (i < source_.size() && isWordPart(source_[i])) ++i;
        at_ = i;
        return Token{TokenKind::Word, source_.substr(start, i - start), 0, start};
    }
    at_ = start + 1;
    return Token{TokenKind::Symbol, source_.substr(start, 1), 0, start};
}

}  // namespace velmora::paradox::sql

#include "paradox/RepeatedInsert.h"

#include <cstring>

#include "paradox/SqlLexer.h"
#include "paradox/SqlParser.h"

namespace velmora::paradox::sql {

namespace {

std::size_t skipSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

bool startsNumber(std::string_view text, std::size_t at) {
    return at < text.size() && (isDigit(text[at]) ||
                                (text[at] == '.' && at + 1 < text.size() && isDigit(text[at + 1])));
}

// `keyword` is upper case ASCII letters.
bool isWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if ((word[i] & ~0x20) != keyword[i]) return false;
    return true;
}

// The inside of a literal quoted with apostrophes whose opening one is at `at`, its
// doubled apostrophes kept; false when it is not closed.
bool quoted(std::string_view text, std::size_t& at, std::string_view& inside) {
    const std::size_t first = at + 1;
    std::size_t i = first;
    for (;;) {
        const void* found = std::memchr(text.data() + i, '\'', text.size() - i);
        if (found == nullptr) return false;
        i = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (i + 1 < text.size() && text[i + 1] == '\'') {
            i += 2;
            continue;
        }
        break;
    }
    inside = text.substr(first, i - first);
    at = i + 1;
    return true;
}

// Reads the literal at `at` (no space before it) as the full parse would.
bool literalAt(std::string_view text, std::size_t& at, Literal& value) {
    value.offset = at;
    if (at >= text.size()) return false;
    const char c = text[at];
    if (c == '-' || c == '+') {
        value.negative = c == '-';
        at = skipSpaces(text, at + 1);
        if (!startsNumber(text, at)) return false;
    }
    if (startsNumber(text, at)) {
        const std::size_t end = numberEnd(text, at);
        value.kind = LiteralKind::Number;
        value.raw = text.substr(at, end - at);
        at = end;
        return true;
    }
    if (c == '\'') {
        value.kind = LiteralKind::Text;
        return quoted(text, at, value.raw);
    }
    if ((c == 'X' || c == 'x') && at + 1 < text.size() && text[at + 1] == '\'') {
        value.kind = LiteralKind::Hex;
        ++at;
        return quoted(text, at, value.raw);
    }
    if (!isWordStart(c)) return false;
    std::size_t end = at + 1;
    while (end < text.size() && isWordPart(text[end])) ++end;
    const std::string_view word = text.substr(at, end - at);
    at = end;
    if (isWord(word, "NULL")) return true;  // a literal is Null unless said otherwise
    value.kind = LiteralKind::Boolean;
    value.truth = isWord(word, "TRUE");
    return value.truth || isWord(word, "FALSE");
}

}  // namespace

void RepeatedInsert::remember(std::string_view text, const Statement& parsed) {
    if (parsed.kind != StatementKind::Insert || !parsed.columns.empty() || parsed.values.empty())
        return;
    // The values' opening parenthesis: only blanks lie between it and the first value.
    std::size_t open = parsed.values.front().offset;
    while (open > 0 && isSpace(text[open - 1])) --open;
    if (open == 0 || text[open - 1] != '(') return;
    start_.assign(text.substr(0, open));
    nameAt_ = static_cast<std::size_t>(parsed.table.raw.data() - text.data());
    nameLength_ = parsed.table.raw.size();
    nameOffset_ = parsed.table.offset;
    closingQuote_ = parsed.table.closingQuote;
}

bool RepeatedInsert::parse(std::string_view text, Statement& out) const {
    if (start_.empty() || text.size() <= start_.size() ||
        std::memcmp(text.data(), start_.data(), start_.size()) != 0)
        return false;
    clearStatement(out);
    out.kind = StatementKind::Insert;
    out.table.raw = text.substr(nameAt_, nameLength_);
    out.table.closingQuote = closingQuote_;
    out.table.offset = nameOffset_;
    std::size_t at = start_.size();
    for (;;) {
        at = skipSpaces(text, at);
        if (!literalAt(text, at, out.values.emplace_back())) return false;
        at = skipSpaces(text, at);
        if (at >= text.size()) return false;
        if (text[at] == ')') break;
        if (text[at] != ',') return false;
        ++at;
    }
    at = skipSpaces(text, at + 1);
    if (at < text.size() && text[at] == ';') at = skipSpaces(text, at + 1);
    return at == text.size();
}

}  // namespace velmora::paradox::sql

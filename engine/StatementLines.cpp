#include "engine/StatementLines.h"

#include <stdexcept>

namespace velmora {

std::string EscapeLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\t':
                line += "\\t";
                break;
            default:
                line += c;
        }
    }
    return line;
}

std::string UnescapeLine(std::string_view line) {
    std::string text;
    text.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            text += line[i];
            continue;
        }
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        switch (next) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            default:
                throw std::runtime_error("a backslash must be followed by \\, n, r or t (column " +
                                         std::to_string(i + 1) + ")");
        }
        ++i;
    }
    return text;
}

void WriteRefusedStatement(std::ostream& out, std::string_view statement, const QString& error) {
    out << "-- " << EscapeLine(error.toStdString()) << '\n' << EscapeLine(statement) << '\n';
}

}  // namespace velmora

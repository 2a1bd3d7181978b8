#include "engine/StatementLines.h"

#include <cctype>
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
            default: {
                // Other control characters would act on a terminal that shows the line.
                const auto u = static_cast<unsigned char>(c);
                if (u < 0x20 || u == 0x7F) {
                    static constexpr char kHex[] = "0123456789abcdef";
                    line += "\\x";
                    line += kHex[u >> 4];
                    line += kHex[u & 15];
                } else {
                    line += c;
                }
            }
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
            case 'x':
                if (i + 3 < line.size() && std::isxdigit(static_cast<unsigned char>(line[i + 2])) &&
                    std::isxdigit(static_cast<unsigned char>(line[i + 3]))) {
                    text += static_cast<char>(
                        std::stoi(std::string(line.substr(i + 2, 2)), nullptr, 16));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default:
                throw std::runtime_error(
                    "a backslash must be followed by \\, n, r, t or x and two hex digits "
                    "(column " +
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

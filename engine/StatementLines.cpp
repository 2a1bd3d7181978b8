#include "engine/StatementLines.h"

#include <cctype>
#include <stdexcept>

namespace velmora {

void AppendEscaped(std::string_view text, std::string& line) {
    line.reserve(line.size() + text.size());
    std::size_t plain = 0;  // the start of the characters not escaped yet
    char escape[4] = {'\\', 0, 0, 0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t length = 2;
        const auto u = static_cast<unsigned char>(text[i]);
        switch (u) {
            case '\\':
                escape[1] = '\\';
                break;
            case '\n':
                escape[1] = 'n';
                break;
            case '\r':
                escape[1] = 'r';
                break;
            case '\t':
                escape[1] = 't';
                break;
            default:
                // Other control characters would act on a terminal that shows the line.
                if (u >= 0x20 && u != 0x7F) continue;
                static constexpr char kHex[] = "0123456789abcdef";
                escape[1] = 'x';
                escape[2] = kHex[u >> 4];
                escape[3] = kHex[u & 15];
                length = 4;
        }
        line.append(text, plain, i - plain);
        line.append(escape, length);
        plain = i + 1;
    }
    line.append(text, plain);
}

std::string EscapeLine(std::string_view text) {
    std::string line;
    AppendEscaped(text, line);
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

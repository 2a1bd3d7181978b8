#include "cli/StatementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
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

namespace {

std::ofstream openForWriting(const QString& path, bool ownerOnly = false) {
    if (ownerOnly) {
        // Made the owner's before the first statement lands in it.
        const int fd = ::open(path.toStdString().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || fchmod(fd, 0600) != 0) {
            if (fd >= 0) ::close(fd);
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        ::close(fd);
    }
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.toStdString());
    return out;
}

void finish(std::ofstream& out, const QString& path) {
    out.flush();
    if (!out) throw std::runtime_error("writing " + path.toStdString() + " failed");
}

}  // namespace

void WriteStatementFile(const QString& path, const StatementList& statements, bool ownerOnly) {
    auto out = openForWriting(path, ownerOnly);
    for (int i = 0; i < statements.count(); ++i) out << EscapeLine(statements.utf8(i)) << '\n';
    finish(out, path);
}

void ReadStatementFile(const QString& path, StatementList& statements) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.toStdString());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        try {
            statements.append(std::string_view(UnescapeLine(line)));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(path.toStdString() + " line " + std::to_string(number) + ": " +
                                     e.what());
        }
    }
}

void WriteTypeMappingFile(const QString& path, const TypeMappingList& mappings) {
    auto out = openForWriting(path);
    for (int i = 0; i < mappings.count(); ++i) {
        const TypeMappingEntry& e = mappings.at(i);
        out << EscapeLine(e.AccessTable.toStdString()) << '\t'
            << EscapeLine(e.AccessField.toStdString()) << '\t'
            << EscapeLine(e.AccessType.toStdString()) << '\t'
            << EscapeLine(e.ParadoxType.toStdString()) << '\n';
    }
    finish(out, path);
}

}  // namespace velmora

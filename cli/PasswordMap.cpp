#include "cli/PasswordMap.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "engine/SecretMemory.h"

namespace velmora {

namespace {

// Far more than any list of passwords; a longer file is no password map.
constexpr std::size_t kMaxFile = 16 * 1024 * 1024;
// As for --password-file: a longer line holds no password.
constexpr std::size_t kMaxPassword = 1024;

std::string readAll(const QString& path) {
    const bool standardInput = path == QLatin1String("-");
    const std::string name = standardInput ? "standard input" : path.toStdString();
    const int fd = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot read the password map " + name + ": " + strerror(errno));
    std::string content;
    char block[4096];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || content.size() + static_cast<std::size_t>(got) > kMaxFile) {
            const int error = errno;
            explicit_bzero(block, sizeof block);
            if (!standardInput) ::close(fd);
            if (got == 0) return content;
            WipeText(content);
            throw std::runtime_error("cannot read the password map " + name + ": " +
                                     (got < 0 ? strerror(error) : "it is too large"));
        }
        content.append(block, static_cast<std::size_t>(got));
    }
}

bool matches(const QByteArray& pattern, const QByteArray& path) {
    return fnmatch(pattern.constData(), path.constData(), FNM_PATHNAME) == 0;
}

}  // namespace

PasswordMap::PasswordMap(const QString& path) {
    KeepSecretsOutOfCoreDumps();
    std::string content = readAll(path);
    const std::string name = path == QLatin1String("-") ? "standard input" : path.toStdString();
    std::size_t start = 0;
    for (int number = 1; start < content.size(); ++number) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::size_t lineEnd = end;
        if (lineEnd > start && content[lineEnd - 1] == '\r') --lineEnd;
        const std::string_view line(content.data() + start, lineEnd - start);
        start = end + 1;
        if (line.empty() || line.front() == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) {
            WipeText(content);
            throw std::runtime_error(name + " line " + std::to_string(number) +
                                     ": expected a path or pattern, a tab and the password");
        }
        if (line.size() - tab - 1 > kMaxPassword) {
            WipeText(content);
            throw std::runtime_error(name + " line " + std::to_string(number) +
                                     ": the password is longer than " +
                                     std::to_string(kMaxPassword) + " bytes");
        }
        entries_.push_back({QByteArray(line.data(), static_cast<qsizetype>(tab)),
                            QString::fromUtf8(line.data() + tab + 1,
                                              static_cast<qsizetype>(line.size() - tab - 1))});
    }
    WipeText(content);
}

PasswordMap::~PasswordMap() {
    for (Entry& entry : entries_) WipeText(entry.password);
}

std::optional<QString> PasswordMap::find(const QString& absolutePath,
                                         const QString& shownPath) const {
    const QByteArray absolute = absolutePath.toUtf8();
    const QByteArray shown = shownPath.toUtf8();
    const QByteArray fileName = absolute.mid(absolute.lastIndexOf('/') + 1);
    for (const Entry& entry : entries_) {
        bool found = matches(entry.pattern, shown);
        if (!entry.pattern.contains('/')) {
            found = found || matches(entry.pattern, fileName);
        } else if (entry.pattern.startsWith('/')) {
            found = found || matches(entry.pattern, absolute);
        } else {
            // The path's tails that start after a "/": "data/x.mdb" matches ".../data/x.mdb".
            for (qsizetype slash = absolute.indexOf('/'); !found && slash >= 0;
                 slash = absolute.indexOf('/', slash + 1))
                found = matches(entry.pattern, absolute.mid(slash + 1));
        }
        if (found) return entry.password;
    }
    return std::nullopt;
}

}  // namespace velmora

#include "FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRegularExpression>
#include <cerrno>

#include "Helpers.h"

namespace velmora {

namespace {

// Windows-1252 holds these characters in 0x80..0x9F; everything from U+00A0 to U+00FF
// maps to itself.
bool inCp1252(char16_t c) {
    static constexpr char16_t kHigh[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
                                         0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
                                         0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
    for (char16_t h : kHigh)
        if (c == h) return true;
    return false;
}

class DirCloser {
  public:
    explicit DirCloser(DIR* d) : d_(d) {}
    ~DirCloser() {
        if (d_) closedir(d_);
    }
    DIR* get() const { return d_; }

  private:
    DIR* d_;
};

bool isRootFolder(const QString& folder) {
    return folder == QLatin1String("/");
}

// A symbolic link stands in for the reparse point: neither listed nor entered.
bool isLink(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/')) p.chop(1);
    struct stat st {};
    return lstat(p.toLocal8Bit().constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QRegularExpression wildcard(const QString& pattern) {
    QString rx;
    for (QChar c : pattern) {
        if (c == u'*')
            rx += QStringLiteral(".*");
        else if (c == u'?')
            rx += u'.';
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(
        QRegularExpression::anchoredPattern(rx),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

}  // namespace

bool IsUnsafeFolderName(const QString& name) {
    for (QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c < 32 || (c >= 127 && c <= 159) || c == u'?' || !inCp1252(c)) return true;
    }
    return false;
}

bool FileIsOpenable(const QString& path) {
    if (path.isEmpty()) return false;
    const int fd = ::open(path.toLocal8Bit().constData(), O_PATH | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

QStringList ListFiles(const QString& folder, const QString& pattern) {
    QString base = folder;
    if (!base.endsWith(u'/')) base += u'/';
    QStringList names;
    DirCloser dir(opendir(base.toLocal8Bit().constData()));
    if (!dir.get()) return names;
    const QRegularExpression match = wildcard(pattern);
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QString::fromLocal8Bit(entry->d_name);
        if (entry->d_type == DT_DIR || !match.match(name).hasMatch()) continue;
        if (FileIsOpenable(base + name)) names.append(name);
    }
    return names;
}

void GetSubDirectories2016(QStringList& folders, bool recurse, EventPump& pump) {
    QStringList found;
    const QStringList current = folders;
    for (const QString& folder : current) {
        if (IsFolder(folder) != std::optional<bool>(true)) continue;
        if (folder.size() >= kPathLimit) continue;
        pump.yield();
        if (!isRootFolder(folder) && isLink(folder)) continue;
        DirCloser dir(opendir(folder.toLocal8Bit().constData()));
        if (!dir.get()) {
            // Unreadable for lack of permission, or gone meanwhile: dropped without a word.
            if (errno == EACCES || errno == ENOENT || errno == ENOTDIR) folders.removeOne(folder);
            continue;
        }
        while (const dirent* entry = readdir(dir.get())) {
            pump.yield();
            const QString name = QString::fromLocal8Bit(entry->d_name);
            if (name == u'.' || name == QLatin1String("..")) continue;
            if (name.size() >= 260 || IsUnsafeFolderName(name) || name.contains(u'?')) continue;
            const QString path = folder + name;
            struct stat st {};
            if (lstat(path.toLocal8Bit().constData(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
            found.append(path + u'/');
        }
    }
    if (recurse && !found.isEmpty()) GetSubDirectories2016(found, true, pump);
    // Links were left out while listing, so every entry here is a real folder.
    for (const QString& entry : found) {
        if (IsFolder(entry) != std::optional<bool>(true)) continue;
        pump.yield();
        folders.append(entry);
    }
}

}  // namespace velmora

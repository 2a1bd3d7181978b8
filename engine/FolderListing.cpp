#include "engine/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRegularExpression>
#include <cerrno>

#include "common/Helpers.h"
#include "common/text/CodePage.h"

namespace velmora {

namespace {

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
        if (c < 32 || (c >= 127 && c <= 159) || c == u'?' ||
            text::CodePage::forNumber(1252).encode(c) < 0)
            return true;
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

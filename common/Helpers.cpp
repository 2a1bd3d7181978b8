#include "common/Helpers.h"

#include <QDir>
#include <filesystem>
#include <system_error>

#include "common/AppInfo.h"
#include "common/text/Utf8.h"

namespace velmora {

namespace {
QString title = kProductTitle;
}

QString applicationTitle() {
    return title;
}
void setApplicationTitle(const QString& t) {
    title = t;
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    std::error_code ec;
    (void)std::filesystem::last_write_time(std::filesystem::path(path.toStdString()), ec);
    return !ec;
}

std::optional<bool> IsFolder(const QString& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(std::filesystem::path(path.toStdString()), ec);
    if (ec || !std::filesystem::exists(status)) return std::nullopt;
    return std::filesystem::is_directory(status);
}

QString FileNameOf(const QString& path) {
    const qsizetype at = path.lastIndexOf(QDir::separator());
    return at < 0 ? path : path.mid(at + 1);
}

QString ProgramDriveRoot() {
    const QString home = QDir::homePath();
    if (!home.contains(u' ') && !home.isEmpty()) return home.endsWith(u'/') ? home : home + u'/';
    return QStringLiteral("/var/tmp/");
}

QString ShortTitle(const QString& fullTitle) {
    QString text = fullTitle;
    do {
        const qsizetype space = text.lastIndexOf(u' ');
        if (space < 0) break;
        text.truncate(space);
    } while (text.size() > 40);
    return text;
}

void SetShortTitle() {
    setApplicationTitle(ShortTitle(kProductTitle));
}

QString ShownName(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QString::fromStdString(text::escapeControls(name.toStdString()));
    return name;
}

bool ListContains(const QStringList& list, const QString& text) {
    // Case folding, not lower case: the folder list holds upper-case names, and a Greek
    // final sigma lowers from its capital to the ordinary sigma.
    for (const QString& item : list)
        if (item.compare(text, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? QDir::currentPath() : QString::fromStdString(exe.parent_path().string());
}

}  // namespace velmora

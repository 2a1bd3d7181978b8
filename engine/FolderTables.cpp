#include "engine/FolderTables.h"

#include <QDir>
#include <QFile>
#include <vector>

#include "common/ErrorReport.h"
#include "common/Helpers.h"
#include "engine/FolderListing.h"
#include "paradox/TableHeader.h"

namespace velmora {

namespace {
// Headers of every level fit in this; a table's field list follows the fixed part.
constexpr qint64 kHeaderRead = 64 * 1024;
}  // namespace

bool IsParadoxTableFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(kHeaderRead);
    try {
        paradox::parseTableHeader(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                  static_cast<std::size_t>(head.size()), path.toStdString());
        return true;
    } catch (const std::exception& e) {
        // An encrypted table is still a table; the driver says so when it is opened.
        return QString::fromUtf8(e.what()).contains(QStringLiteral("is encrypted"));
    }
}

FolderTables ExamineFolderTables(const QString& folder) {
    if (folder.isEmpty()) return FolderTables::NotGiven;
    if (IsFolder(folder) != std::optional(true)) return FolderTables::Missing;
    const QStringList files = ListFiles(folder, QStringLiteral("*.db"));
    if (files.isEmpty()) return FolderTables::None;
    for (const QString& name : files)
        if (IsParadoxTableFile(folder + u'/' + name)) return FolderTables::Present;
    return FolderTables::NotParadox;
}

QString FolderTablesMessage(FolderTables found) {
    switch (found) {
        case FolderTables::NotGiven:
            return QStringLiteral("Could not connect: no Paradox folder is given.");
        case FolderTables::Missing:
            return QStringLiteral("Could not connect: the folder does not exist.");
        case FolderTables::None:
            return QStringLiteral("The folder holds no Paradox table yet.");
        case FolderTables::NotParadox:
            return QStringLiteral(
                "The folder holds no Paradox table yet: its .db files are not Paradox tables.");
        case FolderTables::Present:
            break;
    }
    return QStringLiteral("Connection successful.");
}

bool AgreeToNewTables(const QString& folder, FolderTables found, Prompts& prompts) {
    switch (found) {
        case FolderTables::Present:
            return true;
        case FolderTables::NotGiven:
            prompts.message(QStringLiteral("Please choose the Paradox folder first."));
            return false;
        case FolderTables::Missing: {
            if (!prompts.askYesNo(QStringLiteral("The folder ") + folder +
                                  QStringLiteral(" does not exist yet.\r\n\r\n"
                                                 "Create it and the tables in it?")))
                return false;
            Procedure proc(prompts, reportLocation(QStringLiteral("Paradox"),
                                                   QStringLiteral("AgreeToNewTables")));
            proc.step(100, [&] {
                if (!QDir().mkpath(folder))
                    throw std::runtime_error("Cannot create the folder " + folder.toStdString());
            });
            return IsFolder(folder) == std::optional(true);
        }
        case FolderTables::None:
        case FolderTables::NotParadox:
            break;
    }
    return prompts.askYesNo(QStringLiteral("The folder ") + folder +
                            QStringLiteral(" holds no Paradox table yet.\r\n\r\n"
                                           "Create the tables there?"));
}

}  // namespace velmora

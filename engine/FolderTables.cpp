#include "engine/FolderTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/Helpers.h"
#include "dataaccess/ProviderDirectory.h"
#include "engine/FolderListing.h"
#include "engine/TargetNames.h"

namespace velmora {

// The target's driver knows its own tables.
bool IsParadoxTableFile(const QString& path) {
    const std::string settings = TargetConnectionString(QFileInfo(path).path()).toStdString();
    return db::providerFor(db::ConnectionString::parse(settings))->isTableFile(path.toStdString());
}

QString WhyNotAParadoxTable(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral(
            "it is a symbolic link, and tables are never read or written "
            "through one");
    if (!info.isFile()) return QStringLiteral("it is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read (") + file.errorString() + u')';
    if (!IsParadoxTableFile(path)) return QStringLiteral("it is not a Paradox table");
    return QString();
}

FolderTables ExamineFolderTables(const QString& folder) {
    if (folder.isEmpty()) return FolderTables::NotGiven;
    if (IsFolder(folder) != std::optional(true)) return FolderTables::Missing;
    const QStringList files = ListFiles(folder, QStringLiteral("*.db"));
    if (files.isEmpty()) return FolderTables::None;
    for (const QString& name : files)
        if (WhyNotAParadoxTable(folder + u'/' + name).isEmpty()) return FolderTables::Present;
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
        case FolderTables::Missing:
            // The run creates it once the database has opened.
            return prompts.askYesNo(QStringLiteral("The folder ") + folder +
                                    QStringLiteral(" does not exist yet.\r\n\r\n"
                                                   "Create it and the tables in it?"));
        case FolderTables::None:
        case FolderTables::NotParadox:
            break;
    }
    return prompts.askYesNo(QStringLiteral("The folder ") + folder +
                            QStringLiteral(" holds no Paradox table yet.\r\n\r\n"
                                           "Create the tables there?"));
}

}  // namespace velmora

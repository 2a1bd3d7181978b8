#include "engine/FolderTables.h"

#include <QDir>
#include <QFileInfo>

#include "common/ErrorReport.h"
#include "common/Helpers.h"
#include "common/UiNames.h"
#include "dataaccess/ProviderDirectory.h"
#include "engine/FolderListing.h"
#include "engine/TargetNames.h"

namespace velmora {

// The target's driver knows its own tables.
bool IsParadoxTableFile(const QString& path) {
    const std::string settings = TargetConnectionString(QFileInfo(path).path()).toStdString();
    return db::providerFor(db::ConnectionString::parse(settings))->isTableFile(path.toStdString());
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
            Procedure proc(prompts, ui::paradoxFolder::kAgreeToNewTables);
            constexpr int kCreateFolderStep = 100;  // as its reports number it
            proc.step(kCreateFolderStep, [&] {
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

#include "engine/TargetFolder.h"

#include <unistd.h>

#include <filesystem>

#include "common/Helpers.h"
#include "common/UiNames.h"
#include "engine/FolderListing.h"

namespace velmora {

bool FolderHasDbFiles(const MainInputs& inputs) {
    const QString folder = inputs.paradoxFolder();
    if (folder.isEmpty()) return false;
    return !ListFiles(folder, QStringLiteral("*.db")).isEmpty();
}

void FillTargetTableList(QStringList& list, const MainInputs& inputs, EventPump& pump) {
    const QString folder = inputs.paradoxFolder();
    list.clear();
    if (folder.isEmpty()) return;
    QStringList folders{folder + u'/'};
    GetSubDirectories2016(folders, true, pump);
    for (const QString& entry : folders) {
        for (const QString& name : ListFiles(entry.chopped(1), QStringLiteral("*.db"))) {
            if (name.startsWith(u'~')) continue;
            list.append(name.toUpper().remove(QStringLiteral(".DB")));
        }
    }
}

// The steps of CopyDB, as its reports number them.
namespace copyStep {
constexpr int kCreateFolder = 112;
constexpr int kFolderThere = 118;
constexpr int kCopyTables = 120;
constexpr int kUseCopy = 122;
}  // namespace copyStep

void CopyDB(bool sample, MainInputs& inputs, Prompts& prompts) {
    Procedure proc(prompts, ui::paradoxFolder::kCopyDb);
    const QString folder = inputs.paradoxFolder();
    // The sample tables of an installed program lie in a folder the user cannot write to;
    // they are offered the same copy as a folder with spaces.
    const bool readOnlySample =
        sample && !folder.isEmpty() && access(folder.toLocal8Bit().constData(), W_OK) != 0;
    if (!folder.trimmed().contains(u' ') && !readOnlySample) return;
    const QString kind = sample ? QStringLiteral("sample") : QStringLiteral("Your");
    const QString target = ProgramDriveRoot() + QStringLiteral("TestDB");
    const bool agreed = prompts.askYesNo(
        QStringLiteral("In some cases the software needs to use a folder without spaces.\r\n"
                       "Is it OK to create the folder ") +
        target + QStringLiteral(" and put ") + kind + QStringLiteral(" db files in it?"));
    if (!agreed) return;
    namespace fs = std::filesystem;
    const fs::path to(target.toStdString());
    proc.step(copyStep::kCreateFolder, [&] {
        if (!FileExists(target)) fs::create_directories(to);
    });
    if (proc.test(copyStep::kFolderThere, [&] { return FileExists(target); })) {
        proc.step(copyStep::kCopyTables, [&] {
            fs::copy(fs::path(inputs.paradoxFolder().toStdString()), to,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                         fs::copy_options::copy_symlinks);
        });
        proc.step(copyStep::kUseCopy, [&] { inputs.setParadoxFolder(target); });
    }
}

bool TableFileExists(const QString& folder, const QString& table) {
    const QString wanted = table + QStringLiteral(".db");
    for (const QString& name : ListFiles(folder, wanted))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace velmora

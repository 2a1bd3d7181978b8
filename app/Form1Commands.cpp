// The commands of the main window's buttons.

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "app/FileDialogs.h"
#include "app/Form1.h"
#include "common/AppInfo.h"
#include "common/ErrorReport.h"
#include "engine/ConversionRun.h"
#include "engine/FolderTables.h"
#include "engine/TargetFolder.h"

namespace velmora {

namespace {

Procedure commandProcedure(Prompts& prompts, const char* procedure) {
    return Procedure(prompts,
                     reportLocation(QStringLiteral("Form1"), QString::fromLatin1(procedure)));
}

const QString kAccessFilter = QStringLiteral(
    "All Microsoft Databases (*.mdb,*.accdb)|*.*db|Microsoft Database (*.mdb)|*.mdb|"
    "Microsoft 2007 Database (*.accdb)|*.accdb|");

}  // namespace

void Form1::browseAccessFile() {
    Procedure proc = commandProcedure(prompts_, "PushButton1_Click");
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    QString chosen;
    proc.step(100, [&] {
        const QString file = Text5->text();
        dialog.setDirectory(
            StartFolder({file.isEmpty() ? QString() : QFileInfo(file).absolutePath()}));
        dialog.selectFile(QString());
    });
    // Any name may be typed, as with the common dialog; nothing in the dialog may
    // change the file system.
    proc.step(102, [&] {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::HideNameFilterDetails);
    });
    proc.step(104, [&] { dialog.setWindowTitle(QStringLiteral("Select Access Database")); });
    proc.step(106, [&] {
        const QStringList filters = NameFiltersFromDialogFilter(kAccessFilter);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(0));
    });
    proc.step(108, [&] {
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFiles().value(0);
    });
    if (proc.test(110, [&] { return !chosen.isEmpty(); }))
        proc.step(112, [&] { Text5->setText(chosen); });
}

void Form1::browseParadoxFolder() {
    Procedure proc = commandProcedure(prompts_, "PushButton2_Click");
    QString folder;
    proc.step(100, [&] {
        folder =
            SelectFolder(this, QStringLiteral("Please select folder:"),
                         StartFolder({Text1->text(),
                                      settings_.read(QStringLiteral("LastFolderDot"), QString())}));
    });
    if (proc.test(102, [&] { return folder.isEmpty(); })) return;
    proc.step(104, [&] { Text1->setText(folder); });
    proc.step(106, [&] { CopyDB(false, *this, prompts_); });
}

void Form1::testConnection() {
    Procedure proc = commandProcedure(prompts_, "PushButton3_Click");
    proc.step(102, [&] { CopyDB(false, *this, prompts_); });
    proc.step(104, [&] { pointer_.setBusy(true); });
    // Success needs a real Paradox table; otherwise the message names what is missing.
    FolderTables found = FolderTables::None;
    if (proc.test(106, [&] {
            found = ExamineFolderTables(paradoxFolder());
            return found == FolderTables::Present;
        }))
        proc.step(108, [&] { prompts_.message(FolderTablesMessage(found)); });
    else
        proc.step(110, [&] { prompts_.message(FolderTablesMessage(found)); });
    proc.step(112, [&] { pointer_.setBusy(false); });
}

void Form1::loadSampleDatabase() {
    Procedure proc = commandProcedure(prompts_, "PushButton4_Click");
    proc.step(100, [&] {
        Text5->setText(services_.programFolder + QStringLiteral("/Samples/sample.mdb"));
    });
}

void Form1::showHelp() {
    Procedure proc = commandProcedure(prompts_, "PushButton5_Click");
    proc.step(100, [&] {
        MessageWithLink(
            this,
            kProductTitle + QStringLiteral(", version ") + programVersion() +
                QStringLiteral(
                    ".\r\n\r\n"
                    "This software transfers text-based and numeric fields but does not "
                    "handle binary / pictures fields.\r\n\r\n"
                    "Use SQL Preview if your tables contains less than 32767 rows.\r\n\r\n"
                    "Questions? Please contact Team Tervane at "),
            kContactPage, services_.opener);
    });
}

void Form1::loadSampleFolder() {
    Procedure proc = commandProcedure(prompts_, "PushButton6_Click");
    proc.step(100, [&] { Text1->setText(services_.programFolder + QStringLiteral("/Samples")); });
    proc.step(102, [&] { CopyDB(true, *this, prompts_); });
}

void Form1::startConverting() {
    RunHost host{*this, prompts_, *ProgressBar1, pointer_, *preview_, pump_};
    RunOptions options;
    options.askAboutFolderWithoutTables = true;
    options.strict = strictReading();
    ConversionRun(host, state_, QLocale::system(), options).start();
}

}  // namespace velmora

// The commands of the main window's buttons.

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>

#include "app/ConversionChoices.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "common/AppInfo.h"
#include "common/ErrorReport.h"
#include "common/UiNames.h"
#include "engine/ConversionRun.h"
#include "engine/FolderTables.h"
#include "engine/TargetFolder.h"

namespace velmora {

namespace {

namespace names = ui::mainWindow;

// The first filter names .mdb and .accdb only: "*.*db" would list Paradox's .db files too.
const QString kAccessFilter = QStringLiteral(
    "All Microsoft Databases (*.mdb,*.accdb)|*.mdb;*.accdb|Microsoft Database (*.mdb)|*.mdb|"
    "Microsoft 2007 Database (*.accdb)|*.accdb|");

// The steps of each command as its reports number them.
namespace browseAccessStep {
constexpr int kStartFolder = 100;
constexpr int kDialogMode = 102;
constexpr int kDialogTitle = 104;
constexpr int kFilters = 106;
constexpr int kShowDialog = 108;
constexpr int kChosen = 110;
constexpr int kTakeFile = 112;
}  // namespace browseAccessStep
namespace browseParadoxStep {
constexpr int kChooseFolder = 100;
constexpr int kCancelled = 102;
constexpr int kTakeFolder = 104;
constexpr int kCheckFolder = 106;
}  // namespace browseParadoxStep
namespace testConnectionStep {
constexpr int kCheckFolder = 102;
constexpr int kBusy = 104;
constexpr int kExamineTables = 106;
constexpr int kTablesFound = 108;
constexpr int kNoTables = 110;
constexpr int kIdle = 112;
}  // namespace testConnectionStep
namespace sampleDatabaseStep {
constexpr int kTakeSample = 100;
}  // namespace sampleDatabaseStep
namespace helpStep {
constexpr int kShowHelp = 100;
}  // namespace helpStep
namespace sampleFolderStep {
constexpr int kTakeSample = 100;
constexpr int kCheckFolder = 102;
}  // namespace sampleFolderStep

}  // namespace

void MainWindow::browseAccessFile() {
    Procedure proc(prompts_, names::kBrowseAccessClick);
    QFileDialog dialog(this);
    dialog.setObjectName(names::kAccessFileDialog);
    QString chosen;
    proc.step(browseAccessStep::kStartFolder, [&] {
        const QString file = accessFileBox->text();
        dialog.setDirectory(
            StartFolder({file.isEmpty() ? QString() : QFileInfo(file).absolutePath()}));
        dialog.selectFile(QString());
    });
    // Any name may be typed, as with the common dialog; nothing in the dialog may
    // change the file system.
    proc.step(browseAccessStep::kDialogMode, [&] {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::HideNameFilterDetails);
    });
    proc.step(browseAccessStep::kDialogTitle,
              [&] { dialog.setWindowTitle(QStringLiteral("Select Access Database")); });
    proc.step(browseAccessStep::kFilters, [&] {
        const QStringList filters = NameFiltersFromDialogFilter(kAccessFilter);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(0));
    });
    proc.step(browseAccessStep::kShowDialog, [&] {
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFiles().value(0);
    });
    if (proc.test(browseAccessStep::kChosen, [&] { return !chosen.isEmpty(); }))
        proc.step(browseAccessStep::kTakeFile, [&] {
            accessFileBox->setText(chosen);
            remember(settingKey::kRecentDatabases, chosen);
        });
}

void MainWindow::browseParadoxFolder() {
    Procedure proc(prompts_, names::kBrowseParadoxClick);
    QString folder;
    proc.step(browseParadoxStep::kChooseFolder, [&] {
        folder = SelectFolder(this, QStringLiteral("Please select folder:"),
                              StartFolder({paradoxFolderBox->text(),
                                           settings_.read(settingKey::kLastFolder, QString())}));
    });
    if (proc.test(browseParadoxStep::kCancelled, [&] { return folder.isEmpty(); })) return;
    proc.step(browseParadoxStep::kTakeFolder, [&] { paradoxFolderBox->setText(folder); });
    proc.step(browseParadoxStep::kCheckFolder, [&] { CopyDB(false, *this, prompts_); });
    remember(settingKey::kRecentFolders, paradoxFolder());
}

void MainWindow::testConnection() {
    Procedure proc(prompts_, names::kTestConnectionClick);
    proc.step(testConnectionStep::kCheckFolder, [&] { CopyDB(false, *this, prompts_); });
    proc.step(testConnectionStep::kBusy, [&] { pointer_.setBusy(true); });
    // Success needs a real Paradox table; otherwise the message names what is missing.
    FolderTables found = FolderTables::None;
    if (proc.test(testConnectionStep::kExamineTables, [&] {
            found = ExamineFolderTables(paradoxFolder());
            return found == FolderTables::Present;
        }))
        proc.step(testConnectionStep::kTablesFound,
                  [&] { prompts_.message(FolderTablesMessage(found)); });
    else
        proc.step(testConnectionStep::kNoTables,
                  [&] { prompts_.message(FolderTablesMessage(found)); });
    proc.step(testConnectionStep::kIdle, [&] { pointer_.setBusy(false); });
}

void MainWindow::loadSampleDatabase() {
    Procedure proc(prompts_, names::kAccessSampleClick);
    proc.step(sampleDatabaseStep::kTakeSample, [&] {
        accessFileBox->setText(services_.programFolder + QStringLiteral("/Samples/sample.mdb"));
    });
}

void MainWindow::showHelp() {
    Procedure proc(prompts_, names::kHelpClick);
    proc.step(helpStep::kShowHelp, [&] {
        MessageWithLink(
            this,
            kProductTitle + QStringLiteral(", version ") + programVersion() +
                QStringLiteral(
                    ".\r\n\r\n"
                    "Copies every table of an Access database (.mdb, .accdb) into Paradox "
                    "tables (.db) in a folder. Every value arrives exactly, or its row is "
                    "reported with the reason.\r\n\r\n"
                    "Options chooses what happens to text a table's code page cannot hold, "
                    "whether long binary fields (pictures) keep their bytes, the code page of "
                    "Access 97 files, the check of the tables after the run, and a file of "
                    "the refused statements.\r\n\r\n"
                    "SQL Preview mode shows the statements before they run, for tables of any "
                    "size: edit, replace, skip or mark lines, then execute them.\r\n\r\n"
                    "Drop a database or a folder on the window to fill it in; File lists the "
                    "recent ones. The manual: man velmora.\r\n\r\n"
                    "Questions? Please contact Team Tervane at "),
            kContactPage, services_.opener);
    });
}

void MainWindow::loadSampleFolder() {
    Procedure proc(prompts_, names::kParadoxSampleClick);
    proc.step(sampleFolderStep::kTakeSample, [&] {
        paradoxFolderBox->setText(services_.programFolder + QStringLiteral("/Samples"));
    });
    proc.step(sampleFolderStep::kCheckFolder, [&] { CopyDB(true, *this, prompts_); });
}

void MainWindow::showOptions() {
    OptionsDialog dialog(ReadConversionChoices(settings_), this);
    if (dialog.exec() == QDialog::Accepted) WriteConversionChoices(settings_, dialog.choices());
}

RunOptions MainWindow::runOptions() const {
    const ConversionChoices choices = ReadConversionChoices(settings_);
    RunOptions options;
    options.askAboutFolderWithoutTables = true;
    options.replaceUnmappable = choices.replaceUnmappable;
    options.keepBinary = choices.keepBinary;
    options.verify = choices.verify;
    options.rejectsBesideTables = choices.rejectsFile;
    options.strict = choices.strictReading;
    options.accessRules = accessRulesCheck->isChecked();
    options.refusedRowsHint = QStringLiteral(
        "Rows refused because their table's code page cannot hold their text are kept, in a "
        "best-fit spelling, when Options says \"Keep the row\".");
    return options;
}

void MainWindow::startConverting() {
    if (state_.conversionRunning) return;
    remember(settingKey::kRecentDatabases, accessFile());
    remember(settingKey::kRecentFolders, paradoxFolder());
    RunHost host{*this, prompts_, *progressBar, pointer_, *preview_, pump_};
    setRunning(true);
    ConversionRun(host, state_, QLocale::system(), runOptions()).start();
    setRunning(false);
    // Closed during the run: the run has stopped and said how far it got.
    if (closeAfterRun_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::cancelRun() {
    if (state_.conversionRunning) state_.cancelRequested = true;
}

void MainWindow::setRunning(bool running) {
    for (QWidget* control :
         {static_cast<QWidget*>(accessFrame), static_cast<QWidget*>(paradoxFrame),
          static_cast<QWidget*>(previewFrame), static_cast<QWidget*>(helpButton),
          static_cast<QWidget*>(startButton), static_cast<QWidget*>(optionsButton),
          static_cast<QWidget*>(menuBar)})
        control->setEnabled(!running);
    startButton->setVisible(!running);
    cancelButton->setVisible(running);
    cancelButton->setEnabled(running);
    if (running) cancelButton->setFocus();  // Escape and Space reach it
}

}  // namespace velmora

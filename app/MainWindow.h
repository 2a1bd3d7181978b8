#pragma once
// The main window: the Access database, the Paradox folder, the SQL Preview choices,
// the Options, "Start Converting" and the progress bar, with a menu bar that reaches every
// command and the recent databases and folders. A database file dropped on the window is
// taken as the Access database, a folder as the Paradox folder. It is the conversion run's
// host: the run reads its entries, asks and reports through its message boxes, shows
// progress and its caption on the progress bar and yields to its event loop. Every entry
// mirrors the settings store, and the window's size and place are kept there too.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/SettingsStore.h"
#include "common/UiNames.h"
#include "engine/ConversionRun.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/CaptionedProgressBar.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace velmora {

struct MainWindowServices {
    // The SQL Preview window, owned by the main window that it is made for.
    std::function<std::unique_ptr<PreviewHost>(QWidget* owner)> makePreview;
    // Opens the download pages when the provider is missing, the help page, and the folder
    // and the files a run leaves.
    DesktopOpener& opener;
    QString programFolder;  // holds the skin, the hand cursor and the samples
};

class MainWindow final : public QWidget, public MainInputs {
    Q_OBJECT
  public:
    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);

    // Start-up: skin, hand cursor, captions, the saved entries and the provider check.
    // False when the program must end without showing the window.
    bool load();

    // MainInputs
    QString paradoxFolder() const override;
    void setParadoxFolder(const QString& folder) override;
    QString accessFile() const override;
    QString accessPassword() const override;
    bool previewEnabled() const override;
    bool previewPerFile() const override;
    bool previewPerTable() const override;
    // The Options dialog's code page for Jet3 files (0: the header's).
    int jet3CodePage() const override;

    RunState& runState() { return state_; }
    PointerRules& pointer() { return pointer_; }

    // The commands, as their buttons run them (object names in common/UiNames.h).
    void browseAccessFile();
    void browseParadoxFolder();
    void testConnection();
    void loadSampleDatabase();
    void showHelp();
    void loadSampleFolder();
    void startConverting();
    void showOptions();  // OK keeps the choices in the settings store

    // What the run sets with the Options dialog's choices (the settings store's).
    RunOptions runOptions() const;
    void cancelRun();  // Cancel (or Escape) while a run goes on

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void connectBehaviours();
    void previewCheckClicked();
    void previewOptionClicked();
    QPushButton* addButton(UiName name, const QString& caption, void (MainWindow::*command)());
    // The recent databases and folders: newest first, at most kRecentCount, each once.
    void remember(QLatin1StringView key, const QString& entry);
    QStringList recent(QLatin1StringView key) const;
    void fillRecentMenu(QMenu* menu, QLatin1StringView key, QLineEdit* box);
    void keepPlace();
    // While a run goes on only Cancel can be pressed: nothing may start a second action or
    // change an entry the run reads.
    void setRunning(bool running);

    MainWindowServices services_;
    SettingsStore settings_;
    MessagePrompts prompts_;
    PointerRules pointer_;
    QtEventPump pump_;
    RunState state_;
    std::unique_ptr<PreviewHost> preview_;
    bool closeAfterRun_ = false;  // the window was closed during the run

    QMenuBar* menuBar = nullptr;
    QMenu* recentDatabasesMenu = nullptr;
    QMenu* recentFoldersMenu = nullptr;
    QGroupBox* accessFrame = nullptr;
    QGroupBox* previewFrame = nullptr;
    QGroupBox* paradoxFrame = nullptr;
    QLabel* accessFileLabel = nullptr;
    QLabel* passwordLabel = nullptr;
    QLabel* paradoxFolderLabel = nullptr;
    QLineEdit* accessFileBox = nullptr;
    QLineEdit* passwordBox = nullptr;
    QLineEdit* paradoxFolderBox = nullptr;
    QCheckBox* previewCheck = nullptr;
    QCheckBox* accessRulesCheck = nullptr;  // the rules choice: Access's field rules
    QRadioButton* perFileOption = nullptr;
    QRadioButton* perTableOption = nullptr;
    QPushButton* browseAccessButton = nullptr;
    QPushButton* browseParadoxButton = nullptr;
    QPushButton* testConnectionButton = nullptr;
    QPushButton* accessSampleButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* paradoxSampleButton = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* optionsButton = nullptr;
    QPushButton* cancelButton = nullptr;
    CaptionedProgressBar* progressBar = nullptr;
};

}  // namespace velmora

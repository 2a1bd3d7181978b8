#pragma once
// The main window: the Access database, the Paradox folder, the SQL Preview choices,
// "Start Converting" and the progress bar. It is the conversion run's host: the run
// reads its entries, asks and reports through its message boxes, shows progress and
// its caption on ProgressBar1 and yields to its event loop. Every entry mirrors the
// settings store.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/SettingsStore.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/CaptionedProgressBar.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora {

struct Form1Services {
    // The SQL Preview window, owned by the main window that it is made for.
    std::function<std::unique_ptr<PreviewHost>(QWidget* owner)> makePreview;
    DesktopOpener& opener;  // opens the download pages when the provider is missing
    QString programFolder;  // holds the skin, the hand cursor and the samples
};

class Form1 final : public QWidget, public MainInputs {
    Q_OBJECT
  public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);

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
    // The saved setting "Jet3CodePage" (0 or missing: the header's).
    int jet3CodePage() const override;
    // The saved setting "StrictReading" (missing: false): refuse a damaged table whole
    // instead of converting every row that can still be read.
    bool strictReading() const;

    RunState& runState() { return state_; }
    PointerRules& pointer() { return pointer_; }

    // The commands, as their buttons run them. The buttons keep their designer names
    // (PushButton1 to PushButton7) as object names and in report locations.
    void browseAccessFile();     // PushButton1
    void browseParadoxFolder();  // PushButton2
    void testConnection();       // PushButton3
    void loadSampleDatabase();   // PushButton4
    void showHelp();             // PushButton5
    void loadSampleFolder();     // PushButton6
    void startConverting();      // PushButton7

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void connectBehaviours();
    void Check1_Click();
    void Option_Click();
    QPushButton* addButton(const QString& name, const QString& caption, void (Form1::*command)());

    Form1Services services_;
    SettingsStore settings_;
    MessagePrompts prompts_;
    PointerRules pointer_;
    QtEventPump pump_;
    RunState state_;
    std::unique_ptr<PreviewHost> preview_;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* browseAccessButton = nullptr;
    QPushButton* browseParadoxButton = nullptr;
    QPushButton* testConnectionButton = nullptr;
    QPushButton* accessSampleButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* paradoxSampleButton = nullptr;
    QPushButton* startButton = nullptr;
    CaptionedProgressBar* ProgressBar1 = nullptr;
};

}  // namespace velmora

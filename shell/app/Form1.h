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

#include "CaptionedProgressBar.h"
#include "MessagePrompts.h"
#include "RunHost.h"
#include "RunState.h"
#include "SettingsStore.h"
#include "WindowSupport.h"

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

    RunState& runState() { return state_; }
    PointerRules& pointer() { return pointer_; }

    // The commands, as their buttons run them.
    void PushButton1_Click();  // browse for the Access file
    void PushButton2_Click();  // browse for the Paradox folder
    void PushButton3_Click();  // Test Connection
    void PushButton4_Click();  // the sample Access database
    void PushButton5_Click();  // Help
    void PushButton6_Click();  // the sample Paradox folder
    void PushButton7_Click();  // Start Converting

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
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    CaptionedProgressBar* ProgressBar1 = nullptr;
};

}  // namespace velmora

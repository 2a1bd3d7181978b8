#pragma once
// The SQL Preview window: shows the run's statement list, executes it on the run's
// target connection, and leaves its outcome in the run state's flags SQLFormOK and
// StopAfterPreview. An SQL error keeps the window open with the failing line
// selected and the driver's text in the error box; the user fixes lines (Edit Line,
// Find and Replace), executes again from line 1, skips the table or backs out.
// While Execute SQL runs, nothing that would change the list or close the window
// can start.

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>

#include "CaptionedProgressBar.h"
#include "ExactTextBox.h"
#include "MessagePrompts.h"
#include "RunState.h"
#include "StatementView.h"
#include "WindowSupport.h"

namespace velmora {

class Form2 final : public QDialog {
    Q_OBJECT
  public:
    Form2(RunState& state, QWidget* owner);

    // The line (counted from 1) whose execution last failed with an SQL error; 0 for none.
    int ErrorLine = 0;

    bool executing() const { return executing_; }

    void PushButton1_Click();  // Execute SQL
    void PushButton2_Click();  // Copy SQL To Clipboard
    void PushButton3_Click();  // Find and Replace
    void PushButton4_Click();  // Copy Error Message To Clipboard
    void PushButton5_Click();  // < Back
    void PushButton6_Click();  // Jump To Error Line
    void PushButton7_Click();  // View Datatype Conversion
    void PushButton8_Click();  // Email Error Message
    void PushButton9_Click();  // Skip Table / Do Not Execute SQL
    void ListView1_Click();    // edits the selected line

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void Form_Load();
    void setExecuting(bool executing);

    RunState& state_;
    MessagePrompts prompts_;
    SystemClipboard clipboard_;
    XdgOpener opener_;
    QtEventPump pump_;
    PointerRules* pointer_ = nullptr;
    bool executing_ = false;

    StatementView* ListView1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QGroupBox* Frame2 = nullptr;
    ExactTextBox* Text1 = nullptr;
    CaptionedProgressBar* ProgressBar1 = nullptr;
};

}  // namespace velmora

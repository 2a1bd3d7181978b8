#pragma once
// The SQL Preview window: shows the run's statement list, executes it on the run's
// target connection, and leaves its outcome in the run state's flags previewExecuted and
// stopAfterPreview. An SQL error keeps the window open with the failing line
// selected and the driver's text in the error box; the user fixes lines (Edit Line,
// Find and Replace) and executes again, which goes on from the first line that has not
// run yet (lines that ran are greyed and ticked), or skips the table or backs out.
// While Execute SQL runs, nothing that would change the list or close the window
// can start.

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>

#include "engine/RunState.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/CaptionedProgressBar.h"
#include "preview/ExactTextBox.h"
#include "preview/StatementView.h"

namespace velmora {

class Form2 final : public QDialog {
    Q_OBJECT
  public:
    Form2(RunState& state, QWidget* owner);

    // The line (counted from 1) whose execution last failed with an SQL error; 0 for none.
    int ErrorLine = 0;

    bool executing() const { return executing_; }

    // The buttons keep their designer names (PushButton1 to PushButton9) as object names
    // and in report locations.
    void executeSql();       // PushButton1, Execute SQL
    void copySql();          // PushButton2, Copy SQL To Clipboard
    void findAndReplace();   // PushButton3, Find and Replace
    void copyError();        // PushButton4, Copy Error Message To Clipboard
    void goBack();           // PushButton5, < Back
    void jumpToErrorLine();  // PushButton6, Jump To Error Line
    void viewDatatypes();    // PushButton7, View Datatype Conversion
    void emailError();       // PushButton8, Email Error Message
    void skipTable();        // PushButton9, Skip Table / Do Not Execute SQL
    void ListView1_Click();  // edits the selected line

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void Form_Load();
    void setExecuting(bool executing);
    void showResumePoint();

    RunState& state_;
    MessagePrompts prompts_;
    SystemClipboard clipboard_;
    XdgOpener opener_;
    QtEventPump pump_;
    PointerRules* pointer_ = nullptr;
    bool executing_ = false;

    StatementView* ListView1 = nullptr;
    QPushButton* executeButton = nullptr;
    QPushButton* copySqlButton = nullptr;
    QPushButton* findReplaceButton = nullptr;
    QPushButton* copyErrorButton = nullptr;
    QPushButton* backButton = nullptr;
    QPushButton* jumpToErrorButton = nullptr;
    QPushButton* datatypesButton = nullptr;
    QPushButton* emailErrorButton = nullptr;
    QPushButton* skipButton = nullptr;
    QGroupBox* Frame2 = nullptr;
    ExactTextBox* Text1 = nullptr;
    CaptionedProgressBar* ProgressBar1 = nullptr;
};

}  // namespace velmora

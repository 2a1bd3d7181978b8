#pragma once
// The SQL Preview window: shows the run's statement list, executes it on the run's
// target connection, and leaves its outcome in the run state's flags previewExecuted and
// stopAfterPreview. An SQL error keeps the window open with the failing line
// selected and the driver's text in the error box; the user fixes lines (Edit Line,
// Find and Replace) and executes again, which goes on from the first line that has not
// run yet (lines that ran are greyed and ticked), or skips the table or backs out.
// While Execute SQL runs, nothing that would change the list or close the window
// can start; Cancel (or Escape, or the close box) stops it before the next line and leaves
// the table it was in as it was. A window closed before a table's statements ended leaves
// that table as it was too.

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <atomic>

#include "engine/RunState.h"
#include "engine/StatementExecution.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/CaptionedProgressBar.h"
#include "preview/ExactTextBox.h"
#include "preview/StatementView.h"

namespace velmora {

class PreviewWindow final : public QDialog {
    Q_OBJECT
  public:
    PreviewWindow(RunState& state, QWidget* owner);

    // The line (counted from 1) whose execution last failed with an SQL error; 0 for none.
    int errorLine = 0;

    bool executing() const { return executing_; }

    // The commands, as their buttons run them (object names in common/UiNames.h).
    void executeSql();        // Execute SQL
    void copySql();           // Copy SQL To Clipboard
    void findAndReplace();    // Find and Replace
    void copyError();         // Copy Error Message To Clipboard
    void goBack();            // < Back
    void jumpToErrorLine();   // Jump To Error Line
    void viewDatatypes();     // View Datatype Conversion
    void emailError();        // Email Error Message
    void skipTable();         // Skip Table / Do Not Execute SQL
    void editSelectedLine();  // a click on a line of the statement list
    void cancelExecution();   // Cancel, while Execute SQL runs

    void done(int result) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void load();
    void setExecuting(bool executing);
    void showResumePoint();

    RunState& state_;
    MessagePrompts prompts_;
    SystemClipboard clipboard_;
    XdgOpener opener_;
    QtEventPump pump_;
    PointerRules* pointer_ = nullptr;
    bool executing_ = false;
    std::atomic<bool> cancelExecution_{false};
    bool closeWhenStopped_ = false;
    TableTransaction transaction_;

    StatementView* statementList = nullptr;
    QPushButton* executeButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* copySqlButton = nullptr;
    QPushButton* findReplaceButton = nullptr;
    QPushButton* copyErrorButton = nullptr;
    QPushButton* backButton = nullptr;
    QPushButton* jumpToErrorButton = nullptr;
    QPushButton* datatypesButton = nullptr;
    QPushButton* emailErrorButton = nullptr;
    QPushButton* skipButton = nullptr;
    QGroupBox* errorFrame = nullptr;
    ExactTextBox* errorBox = nullptr;
    CaptionedProgressBar* progressBar = nullptr;
};

}  // namespace velmora

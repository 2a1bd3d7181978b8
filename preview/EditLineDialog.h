#pragma once
// Edit Line: rewrites one statement of the list. OK (or Return) writes the box's text
// back as it stands (line breaks, typed with Shift+Return, included, nothing trimmed); a
// text written back unchanged leaves the line's run state as it was. Cancel leaves the
// list alone.

#include <QDialog>
#include <QPushButton>

#include "engine/StatementList.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/ExactTextBox.h"

namespace velmora {

class EditLineDialog final : public QDialog {
    Q_OBJECT
  public:
    EditLineDialog(StatementList& statements, QWidget* owner);

    // The statement being edited, counted from 1.
    int editedLine = 0;
    // What the opener does before showing the dialog: the line and its text.
    void setStatement(int line, const QString& text);

    void cancel();     // Cancel
    void applyEdit();  // OK

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void load();

    StatementList& statements_;
    MessagePrompts prompts_;
    PointerRules* pointer_ = nullptr;

    ExactTextBox* statementBox = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace velmora

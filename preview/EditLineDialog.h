#pragma once
// Edit Line: rewrites one statement of the list. OK writes the box's text back as it
// stands (line breaks included, nothing trimmed); Cancel leaves the list alone.

#include <QDialog>
#include <QPushButton>

#include "engine/StatementList.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/ExactTextBox.h"

namespace velmora {

class Form4 final : public QDialog {
    Q_OBJECT
  public:
    Form4(StatementList& statements, QWidget* owner);

    // The statement being edited, counted from 1.
    int ListLine = 0;
    // What the opener does before showing the dialog: the line and its text.
    void setStatement(int line, const QString& text);

    void cancel();     // PushButton1, Cancel
    void applyEdit();  // PushButton2, OK

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void Form_Load();

    StatementList& statements_;
    MessagePrompts prompts_;
    PointerRules* pointer_ = nullptr;

    ExactTextBox* Text1 = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace velmora

#pragma once
// Find and Replace: replaces a text in every statement of the list, visiting each
// statement once: every occurrence, or only the first with "Replace all occurrences"
// cleared; found without regard to case by the user's locale unless "Match case" is
// ticked. It then says how many replacements it made and closes, or says "No match" and
// stays open. A statement whose text does not change keeps its run state. The pass cannot
// be started twice or cancelled half-way.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "common/ErrorReport.h"
#include "engine/StatementList.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"

namespace velmora {

class FindReplaceDialog final : public QDialog {
    Q_OBJECT
  public:
    FindReplaceDialog(StatementList& statements, QWidget* owner, QLocale locale = QLocale());

    void cancel();   // Cancel
    void replace();  // Replace

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void load();
    struct Replaced {
        std::int64_t occurrences = 0;
        int statements = 0;
    };
    Replaced replaceAll(Procedure& proc, const QString& find, const QString& replacement);

    StatementList& statements_;
    QLocale locale_;
    MessagePrompts prompts_;
    QtEventPump pump_;
    PointerRules* pointer_ = nullptr;
    bool replacing_ = false;

    QLabel* findLabel = nullptr;
    QLabel* replaceLabel = nullptr;
    QLineEdit* findBox = nullptr;
    QLineEdit* replaceBox = nullptr;
    QCheckBox* matchCaseCheck = nullptr;
    QCheckBox* everyOccurrenceCheck = nullptr;
    QPushButton* replaceButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace velmora

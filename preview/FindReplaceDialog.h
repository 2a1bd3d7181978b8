#pragma once
// Find and Replace: replaces the first occurrence of a text, found without regard to
// case by the user's locale, in every statement of the list, visiting each statement
// once; then shows "Done." and closes. The pass cannot be started twice or cancelled
// half-way.

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
    void replaceAll(Procedure& proc, const QString& find, const QString& replacement);

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
    QPushButton* replaceButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace velmora

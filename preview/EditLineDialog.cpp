#include "preview/EditLineDialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <stdexcept>

#include "common/UiNames.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

namespace {
namespace names = ui::editLine;

// The steps of each procedure as its reports number them.
namespace loadStep {
constexpr int kColors = 102;
}  // namespace loadStep
namespace cancelStep {
constexpr int kClose = 100;
}  // namespace cancelStep
namespace okStep {
constexpr int kWriteBack = 100;
constexpr int kClose = 102;
}  // namespace okStep
}  // namespace

EditLineDialog::EditLineDialog(StatementList& statements, QWidget* owner)
    : QDialog(owner), statements_(statements), prompts_(this) {
    setObjectName(names::kWindow);
    MakeFixedWindow(*this, TwipsSize(8040, 2580));
    buildControls();
    pointer_ = new PointerRules(this);
    load();
}

void EditLineDialog::buildControls() {
    setFont(WindowFont());
    statementBox = new ExactTextBox(this);
    statementBox->setObjectName(names::kStatementBox);
    statementBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statementBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statementBox->setTabChangesFocus(true);
    statementBox->installEventFilter(this);
    PlaceInTwips(statementBox, 120, 120, 7800, 1905);
    okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setObjectName(names::kOkButton);
    PlaceInTwips(okButton, 120, 2130, 3840, 405);
    cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(names::kCancelButton);
    PlaceInTwips(cancelButton, 4080, 2130, 3840, 405);

    setTabOrder(statementBox, okButton);
    setTabOrder(okButton, cancelButton);
    statementBox->setFocus();

    connect(okButton, &QPushButton::clicked, this, [this] { applyEdit(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void EditLineDialog::load() {
    Procedure proc(prompts_, names::kLoad);
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Edit Line"), loadStep::kColors);
}

void EditLineDialog::setStatement(int line, const QString& text) {
    editedLine = line;
    statementBox->setExactText(text);
}

void EditLineDialog::cancel() {
    Procedure proc(prompts_, names::kCancelClick);
    proc.step(cancelStep::kClose, [&] { reject(); });
}

void EditLineDialog::applyEdit() {
    Procedure proc(prompts_, names::kOkClick);
    proc.step(okStep::kWriteBack, [&] {
        if (editedLine < 1 || editedLine > statements_.count())
            throw std::out_of_range("Index out of bounds");
        statements_.setText(editedLine - 1, statementBox->exactText());
    });
    proc.step(okStep::kClose, [&] { accept(); });
}

// The whole statement is selected whenever the box gets the focus, so typing replaces it.
// Return is OK, as in any dialog; Shift+Return (or Ctrl+Return) puts a line break into the
// statement.
bool EditLineDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statementBox && event->type() == QEvent::FocusIn) statementBox->selectAll();
    if (watched == statementBox && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
            if (modifiers == Qt::NoModifier) {
                applyEdit();
                return true;
            }
            if (modifiers == Qt::ShiftModifier || modifiers == Qt::ControlModifier) {
                statementBox->insertPlainText(QStringLiteral("\n"));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmora

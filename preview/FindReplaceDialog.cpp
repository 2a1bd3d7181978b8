#include "preview/FindReplaceDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "common/UiNames.h"
#include "preview/LocaleFind.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

namespace {
namespace names = ui::findReplace;

// The steps of each procedure as its reports number them.
namespace loadStep {
constexpr int kColors = 102;
}  // namespace loadStep
namespace cancelStep {
constexpr int kClose = 100;
}  // namespace cancelStep
namespace replaceStep {
constexpr int kNothingToReplace = 100;
constexpr int kBusy = 102;
constexpr int kCount = 104;
constexpr int kFind = 108;
constexpr int kReplace = 118;
constexpr int kWriteBack = 120;
constexpr int kDoneMessage = 124;
constexpr int kClose = 126;
constexpr int kNothingToReplaceMessage = 128;
}  // namespace replaceStep
}  // namespace

FindReplaceDialog::FindReplaceDialog(StatementList& statements, QWidget* owner, QLocale locale)
    : QDialog(owner), statements_(statements), locale_(std::move(locale)), prompts_(this) {
    setObjectName(names::kWindow);
    MakeFixedWindow(*this, TwipsSize(8040, 1950));
    buildControls();
    pointer_ = new PointerRules(this);
    load();
}

void FindReplaceDialog::buildControls() {
    setFont(WindowFont());
    findLabel = new QLabel(QStringLiteral("Find &what:"), this);
    findLabel->setObjectName(names::kFindLabel);
    PlaceInTwips(findLabel, 120, 165, 1215, 285);
    replaceLabel = new QLabel(QStringLiteral("Replace w&ith:"), this);
    replaceLabel->setObjectName(names::kReplaceLabel);
    PlaceInTwips(replaceLabel, 120, 645, 1215, 285);
    findBox = new QLineEdit(this);
    findBox->setObjectName(names::kFindBox);
    PlaceInTwips(findBox, 1560, 120, 6360, 345);
    replaceBox = new QLineEdit(this);
    replaceBox->setObjectName(names::kReplaceBox);
    PlaceInTwips(replaceBox, 1560, 600, 6360, 345);
    matchCaseCheck = new QCheckBox(QStringLiteral("Match &case"), this);
    matchCaseCheck->setObjectName(names::kMatchCaseCheck);
    PlaceInTwips(matchCaseCheck, 1560, 1050, 2400, 345);
    everyOccurrenceCheck = new QCheckBox(QStringLiteral("Replace &all occurrences"), this);
    everyOccurrenceCheck->setObjectName(names::kEveryOccurrenceCheck);
    everyOccurrenceCheck->setChecked(true);
    PlaceInTwips(everyOccurrenceCheck, 4080, 1050, 3840, 345);
    replaceButton = new QPushButton(QStringLiteral("&Replace"), this);
    replaceButton->setObjectName(names::kReplaceButton);
    PlaceInTwips(replaceButton, 120, 1500, 3840, 405);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(names::kCancelButton);
    PlaceInTwips(cancelButton, 4080, 1500, 3840, 405);
    findLabel->setBuddy(findBox);
    replaceLabel->setBuddy(replaceBox);

    setTabOrder(findBox, replaceBox);
    setTabOrder(replaceBox, matchCaseCheck);
    setTabOrder(matchCaseCheck, everyOccurrenceCheck);
    setTabOrder(everyOccurrenceCheck, replaceButton);
    setTabOrder(replaceButton, cancelButton);
    findBox->setFocus();

    connect(replaceButton, &QPushButton::clicked, this, [this] { replace(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void FindReplaceDialog::load() {
    Procedure proc(prompts_, names::kLoad);
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Find and Replace"), loadStep::kColors);
}

void FindReplaceDialog::cancel() {
    if (replacing_) return;
    Procedure proc(prompts_, names::kCancelClick);
    proc.step(cancelStep::kClose, [&] { reject(); });
}

void FindReplaceDialog::replace() {
    if (replacing_) return;
    Procedure proc(prompts_, names::kReplaceClick);
    if (proc.test(replaceStep::kNothingToReplace, [&] { return statements_.count() == 0; })) {
        proc.step(replaceStep::kNothingToReplaceMessage,
                  [&] { prompts_.message(QStringLiteral("No SQL to run.")); });
        return;
    }
    const QString find = findBox->text();
    // An empty text occurs nowhere and everywhere; better to ask for one than guess.
    if (find.isEmpty()) {
        prompts_.message(QStringLiteral("Please type the text to find in \"Find what:\"."));
        findBox->setFocus();
        return;
    }
    proc.step(replaceStep::kBusy, [&] { pointer_->setBusy(true); });
    replacing_ = true;
    cancelButton->setEnabled(false);
    replaceButton->setEnabled(false);
    const Replaced replaced = replaceAll(proc, find, replaceBox->text());
    replacing_ = false;
    cancelButton->setEnabled(true);
    replaceButton->setEnabled(true);
    pointer_->setBusy(false);
    // Nothing found: the user may correct the text and try again.
    if (replaced.occurrences == 0) {
        proc.step(replaceStep::kDoneMessage, [&] { prompts_.message(QStringLiteral("No match")); });
        findBox->setFocus();
        findBox->selectAll();
        return;
    }
    proc.step(replaceStep::kDoneMessage, [&] {
        const QLocale shown;
        prompts_.message((replaced.occurrences == 1
                              ? QStringLiteral("1 replacement")
                              : shown.toString(static_cast<qlonglong>(replaced.occurrences)) +
                                    QStringLiteral(" replacements")) +
                         (replaced.statements == 1
                              ? QStringLiteral(" in 1 statement.")
                              : QStringLiteral(" in ") + shown.toString(replaced.statements) +
                                    QStringLiteral(" statements.")));
    });
    proc.step(replaceStep::kClose, [&] { accept(); });
}

FindReplaceDialog::Replaced FindReplaceDialog::replaceAll(Procedure& proc, const QString& find,
                                                          const QString& replacement) {
    Replaced replaced;
    int count = 0;
    proc.step(replaceStep::kCount, [&] { count = statements_.count(); });
    const bool matchCase = matchCaseCheck->isChecked();
    const bool everyOccurrence = everyOccurrenceCheck->isChecked();
    const LocaleFind finder(find, locale_);
    auto next = [&](const QString& text, qsizetype from) -> qsizetype {
        if (matchCase) return text.indexOf(find, from, Qt::CaseSensitive);
        const qsizetype at = finder.firstIn(QStringView(text).mid(from));
        return at < 0 ? -1 : from + at;
    };
    for (int row = 0; row < count; ++row) {
        pump_.yield();
        QString text;
        qsizetype at = -1;
        proc.step(replaceStep::kFind, [&] {
            text = statements_.text(row);
            at = next(text, 0);
        });
        if (at < 0) continue;
        // The replacement text is not searched again: each pass visits a statement once.
        QString changed;
        int occurrences = 0;
        proc.step(replaceStep::kReplace, [&] {
            qsizetype from = 0;
            do {
                changed.append(QStringView(text).mid(from, at - from)).append(replacement);
                from = at + find.size();
                ++occurrences;
            } while (everyOccurrence && (at = next(text, from)) >= 0);
            changed.append(QStringView(text).mid(from));
        });
        if (occurrences == 0) continue;
        if (proc.step(replaceStep::kWriteBack, [&] { statements_.setText(row, changed); })) {
            replaced.occurrences += occurrences;
            ++replaced.statements;
        }
    }
    return replaced;
}

void FindReplaceDialog::closeEvent(QCloseEvent* event) {
    if (replacing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FindReplaceDialog::keyPressEvent(QKeyEvent* event) {
    if (replacing_ && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velmora

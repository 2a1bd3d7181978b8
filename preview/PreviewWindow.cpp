#include "preview/PreviewWindow.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>

#include "common/UiNames.h"
#include "engine/StatementExecution.h"
#include "preview/DatatypesView.h"
#include "preview/EditLineDialog.h"
#include "preview/FindReplaceDialog.h"
#include "preview/MailLink.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

namespace {

namespace names = ui::preview;

const QString kListTip = QStringLiteral(
    "Click item to edit it. Move | line to right and out of window to reveal full names.");
const QString kPasteHint = QStringLiteral(
    "\r\rClick a text area where you normally type and press Ctrl+V to paste the clipboard.");

// Only spaces count as blank here, as in the rest of the window's tests for empty text.
bool IsBlank(const QString& text) {
    for (const QChar c : text)
        if (c != u' ') return false;
    return true;
}

// The steps of each procedure as its reports number them.
namespace loadStep {
constexpr int kColors = 100;
constexpr int kShowStatements = 112;
constexpr int kColumnWidth = 114;
}  // namespace loadStep
// The statements' own steps are numbered by their execution, between kBusy and kExecuted.
namespace executeStep {
constexpr int kNothingToRun = 104;
constexpr int kBusy = 106;
constexpr int kExecuted = 138;
constexpr int kGoOn = 140;
constexpr int kClearBar = 142;
constexpr int kClearCaption = 144;
constexpr int kIdle = 146;
constexpr int kClose = 148;
constexpr int kNothingToRunMessage = 150;
constexpr int kRememberErrorLine = 154;
constexpr int kSelectErrorLine = 156;
constexpr int kShowErrorLine = 158;
constexpr int kShowError = 160;
constexpr int kClearBarAfterError = 162;
constexpr int kShowResumePoint = 164;
constexpr int kIdleAfterError = 166;
constexpr int kErrorFoundMessage = 168;
}  // namespace executeStep
namespace copySqlStep {
constexpr int kCopy = 106;
constexpr int kCopiedMessage = 108;
}  // namespace copySqlStep
namespace findReplaceStep {
constexpr int kShowFindReplace = 100;
}  // namespace findReplaceStep
namespace copyErrorStep {
constexpr int kNoError = 100;
constexpr int kClearClipboard = 102;
constexpr int kCopy = 104;
constexpr int kCopiedMessage = 106;
}  // namespace copyErrorStep
namespace backStep {
constexpr int kClose = 100;
}  // namespace backStep
namespace jumpStep {
constexpr int kAnyLines = 100;
constexpr int kErrorLineInList = 102;
constexpr int kSelect = 104;
constexpr int kShow = 106;
}  // namespace jumpStep
namespace datatypesStep {
constexpr int kShowDatatypes = 100;
}  // namespace datatypesStep
namespace emailStep {
constexpr int kNoError = 100;
constexpr int kMailLink = 102;
constexpr int kOpenMail = 104;
}  // namespace emailStep
namespace skipStep {
constexpr int kGoOn = 100;
constexpr int kClose = 102;
}  // namespace skipStep

}  // namespace

PreviewWindow::PreviewWindow(RunState& state, QWidget* owner)
    : QDialog(owner), state_(state), prompts_(this) {
    setObjectName(names::kWindow);
    buildControls();
    MakeSizableWindow(*this, TwipsSize(8040, 8430));
    pointer_ = new PointerRules(this);
    load();
}

void PreviewWindow::buildControls() {
    setFont(WindowFont(true));
    auto button = [this](QPushButton*& field, UiName name, const QString& caption) {
        field = new QPushButton(caption, this);
        field->setObjectName(name);
        field->setAutoDefault(false);
        field->setMinimumHeight(TwipsToPixels(405));
    };
    statementList = new StatementView(this);
    statementList->setObjectName(names::kStatementList);
    statementList->setFont(WindowFont(false));
    statementList->header()->setFont(WindowFont(true));
    statementList->setToolTip(kListTip);

    // Every button has its Alt+letter.
    button(executeButton, names::kExecuteButton, QStringLiteral("&Execute SQL"));
    button(cancelButton, names::kCancelButton, QStringLiteral("Cancel"));
    cancelButton->hide();
    button(findReplaceButton, names::kFindReplaceButton, QStringLiteral("&Find and Replace"));
    button(copySqlButton, names::kCopySqlButton, QStringLiteral("&Copy SQL To Clipboard"));

    errorFrame = new QGroupBox(QStringLiteral("Error:"), this);
    errorFrame->setObjectName(names::kErrorFrame);
    errorBox = new ExactTextBox(errorFrame);
    errorBox->setObjectName(names::kErrorBox);
    errorBox->setFont(WindowFont(false));
    errorBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    errorBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on: a tab typed here would become part of a copied or mailed error.
    errorBox->setTabChangesFocus(true);
    errorFrame->setMinimumHeight(TwipsToPixels(1785));
    auto* frameLayout = new QVBoxLayout(errorFrame);
    frameLayout->addWidget(errorBox);

    button(jumpToErrorButton, names::kJumpToErrorButton, QStringLiteral("&Jump To Error Line"));
    button(copyErrorButton, names::kCopyErrorButton,
           QStringLiteral("Copy E&rror Message To Clipboard"));
    button(emailErrorButton, names::kEmailErrorButton,
           QStringLiteral("E&mail Error Message To Tervane"));
    button(datatypesButton, names::kDatatypesButton, QStringLiteral("View &Datatype Conversion"));
    button(backButton, names::kBackButton, QStringLiteral("< &Back"));
    button(skipButton, names::kSkipButton, QStringLiteral("&Skip Table / Do Not Execute SQL"));

    progressBar = new CaptionedProgressBar(QString(), this);
    progressBar->setObjectName(names::kProgressBar);
    progressBar->setMinimumHeight(TwipsToPixels(405));

    // The form design's places, with the list and the error box taking what the window
    // grows by: the list three parts, the error box one.
    auto pair = [](QWidget* left, QWidget* right) {
        auto* row = new QHBoxLayout;
        row->setSpacing(TwipsToPixels(120));
        row->addWidget(left, 1);
        row->addWidget(right, 1);
        return row;
    };
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(120),
                             TwipsToPixels(105));
    rows->setSpacing(TwipsToPixels(95));
    rows->addLayout(pair(backButton, skipButton));
    rows->addWidget(statementList, 3);
    auto* execute = new QHBoxLayout;
    execute->addWidget(executeButton, 1);
    execute->addWidget(cancelButton);
    rows->addLayout(execute);
    rows->addLayout(pair(findReplaceButton, copySqlButton));
    rows->addWidget(errorFrame, 1);
    rows->addLayout(pair(jumpToErrorButton, copyErrorButton));
    rows->addLayout(pair(emailErrorButton, datatypesButton));
    rows->addWidget(progressBar);

    // Tab goes as the eye does: the top row, the list, then down the window.
    const QList<QWidget*> tabOrder = {backButton,       skipButton,        statementList,
                                      executeButton,    findReplaceButton, copySqlButton,
                                      errorBox,         jumpToErrorButton, copyErrorButton,
                                      emailErrorButton, datatypesButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(executeButton, &QPushButton::clicked, this, [this] { executeSql(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancelExecution(); });
    connect(copySqlButton, &QPushButton::clicked, this, [this] { copySql(); });
    connect(findReplaceButton, &QPushButton::clicked, this, [this] { findAndReplace(); });
    connect(copyErrorButton, &QPushButton::clicked, this, [this] { copyError(); });
    connect(backButton, &QPushButton::clicked, this, [this] { goBack(); });
    connect(jumpToErrorButton, &QPushButton::clicked, this, [this] { jumpToErrorLine(); });
    connect(datatypesButton, &QPushButton::clicked, this, [this] { viewDatatypes(); });
    connect(emailErrorButton, &QPushButton::clicked, this, [this] { emailError(); });
    connect(skipButton, &QPushButton::clicked, this, [this] { skipTable(); });
    connect(statementList, &StatementView::lineClicked, this, [this](int) { editSelectedLine(); });
    connect(&state_.statements, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(StatementList::ExecutedRole)) showResumePoint();
            });
}

void PreviewWindow::load() {
    Procedure proc(prompts_, names::kLoad);
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("SQL Preview"), loadStep::kColors);
    proc.step(loadStep::kShowStatements, [&] { statementList->setModel(&state_.statements); });
    proc.step(loadStep::kColumnWidth, [&] { statementList->setColumnWidth(TwipsToPixels(7000)); });
}

void PreviewWindow::setExecuting(bool executing) {
    executing_ = executing;
    for (QPushButton* b : {executeButton, findReplaceButton, backButton, skipButton})
        b->setEnabled(!executing);
    statementList->lockLineStates(executing);
    cancelButton->setVisible(executing);
    if (executing) cancelButton->setFocus();
}

void PreviewWindow::cancelExecution() {
    if (executing_) cancelExecution_ = true;
}

// However the window closes, a table whose statements did not all run stays as it was.
void PreviewWindow::done(int result) {
    if (state_.targetConnection)
        RollBackTable(state_.statements, *state_.targetConnection, transaction_);
    QDialog::done(result);
}

void PreviewWindow::executeSql() {
    if (executing_) return;
    Procedure proc(prompts_, names::kExecuteClick);
    StatementList& list = state_.statements;
    if (proc.test(executeStep::kNothingToRun, [&] { return list.count() == 0; })) {
        proc.step(executeStep::kNothingToRunMessage,
                  [&] { prompts_.message(QStringLiteral("No SQL to run.")); });
        return;
    }
    proc.step(executeStep::kBusy, [&] { pointer_->setBusy(true); });
    setExecuting(true);
    // The run always hands over its target connection; without one every line fails
    // as on a connection that is not open.
    db::Connection unopened;
    db::Connection& target = state_.targetConnection ? *state_.targetConnection : unopened;
    cancelExecution_ = false;
    const ExecutionOutcome outcome = ExecuteStatementList(list, target, proc, *progressBar, pump_,
                                                          transaction_, &cancelExecution_);
    setExecuting(false);

    if (outcome.cancelled) {
        progressBar->setValue(0.0);
        showResumePoint();
        pointer_->setBusy(false);
        if (closeWhenStopped_) reject();
        return;
    }

    if (outcome.stoppedBySqlError) {
        proc.step(executeStep::kRememberErrorLine, [&] { errorLine = outcome.errorLine; });
        proc.step(executeStep::kSelectErrorLine,
                  [&] { statementList->setCurrentIndex(list.index(errorLine - 1)); });
        proc.step(executeStep::kShowErrorLine, [&] {
            statementList->scrollTo(list.index(errorLine - 1), QAbstractItemView::PositionAtCenter);
        });
        proc.step(executeStep::kShowError, [&] { errorBox->setExactText(outcome.errorText); });
        proc.step(executeStep::kClearBarAfterError, [&] { progressBar->setValue(0.0); });
        proc.step(executeStep::kShowResumePoint, [&] { showResumePoint(); });
        proc.step(executeStep::kIdleAfterError, [&] { pointer_->setBusy(false); });
        proc.step(executeStep::kErrorFoundMessage,
                  [&] { prompts_.message(QStringLiteral("Error found.")); });
        return;
    }
    proc.step(executeStep::kExecuted, [&] { state_.previewExecuted = true; });
    proc.step(executeStep::kGoOn, [&] { state_.stopAfterPreview = false; });
    proc.step(executeStep::kClearBar, [&] { progressBar->setValue(0.0); });
    proc.step(executeStep::kClearCaption, [&] { progressBar->setCaption(QString()); });
    proc.step(executeStep::kIdle, [&] { pointer_->setBusy(false); });
    proc.step(executeStep::kClose, [&] { accept(); });
}

// Once some lines have run, the idle bar says where the next Execute SQL begins; an
// edit of a line that ran moves that place back to it.
void PreviewWindow::showResumePoint() {
    const StatementList& list = state_.statements;
    if (executing_) return;
    const int passedOver = list.executedCount() + list.skippedCount();
    if (passedOver == 0 || list.firstPending() >= list.count()) {
        progressBar->setCaption(QString());
        return;
    }
    const QLocale locale;
    QString done = QStringLiteral("%1 of %2 lines done")
                       .arg(locale.toString(list.executedCount()), locale.toString(list.count()));
    if (list.skippedCount() > 0)
        done += QStringLiteral(", %1 skipped").arg(locale.toString(list.skippedCount()));
    progressBar->setCaption(done + QStringLiteral("; Execute SQL resumes at line %1")
                                       .arg(locale.toString(list.firstPending() + 1)));
}

void PreviewWindow::copySql() {
    Procedure proc(prompts_, names::kCopySqlClick);
    // Copying nothing would only empty the user's clipboard.
    if (!state_.statements.anyChecked()) {
        prompts_.message(
            QStringLiteral("No line is ticked, so nothing was copied.\r\r"
                           "Tick the lines to copy: click their boxes, or "
                           "right-click the list for \"Tick all\" "
                           "(or press Ctrl+A, then Space)."));
        return;
    }
    proc.step(copySqlStep::kCopy,
              [&] { CopyListViewToClipboard(state_.statements, clipboard_, pump_); });
    proc.step(copySqlStep::kCopiedMessage, [&] {
        prompts_.message(QStringLiteral("Results have been copied to the clipboard.") + kPasteHint);
    });
}

void PreviewWindow::findAndReplace() {
    if (executing_) return;
    Procedure proc(prompts_, names::kFindReplaceClick);
    proc.step(findReplaceStep::kShowFindReplace, [&] {
        FindReplaceDialog dialog(state_.statements, this);
        dialog.exec();
    });
}

void PreviewWindow::copyError() {
    Procedure proc(prompts_, names::kCopyErrorClick);
    const QString text = errorBox->exactText();
    if (proc.test(copyErrorStep::kNoError, [&] { return IsBlank(text); })) return;
    proc.step(copyErrorStep::kClearClipboard, [&] { ClearClipboard(clipboard_); });
    proc.step(copyErrorStep::kCopy, [&] { SetClipboardText(clipboard_, text, 0); });
    proc.step(copyErrorStep::kCopiedMessage, [&] {
        prompts_.message(QStringLiteral("The error message has been copied to the clipboard.") +
                         kPasteHint);
    });
}

void PreviewWindow::goBack() {
    if (executing_) return;
    Procedure proc(prompts_, names::kBackClick);
    proc.step(backStep::kClose, [&] { reject(); });
}

void PreviewWindow::jumpToErrorLine() {
    Procedure proc(prompts_, names::kJumpToErrorClick);
    const int count = state_.statements.count();
    if (!proc.test(jumpStep::kAnyLines, [&] { return count >= 1; })) return;
    // A remembered line past the end (not possible while the list keeps its size) is ignored.
    if (!proc.test(jumpStep::kErrorLineInList,
                   [&] { return errorLine >= 1 && errorLine <= count; }))
        return;
    const QModelIndex index = state_.statements.index(errorLine - 1);
    proc.step(jumpStep::kSelect, [&] { statementList->setCurrentIndex(index); });
    proc.step(jumpStep::kShow,
              [&] { statementList->scrollTo(index, QAbstractItemView::PositionAtCenter); });
}

void PreviewWindow::viewDatatypes() {
    Procedure proc(prompts_, names::kDatatypesClick);
    proc.step(datatypesStep::kShowDatatypes, [&] {
        DatatypesView view(state_.typeMappings, this);
        view.exec();
    });
}

void PreviewWindow::emailError() {
    Procedure proc(prompts_, names::kEmailErrorClick);
    const QString text = errorBox->exactText();
    if (proc.test(emailStep::kNoError, [&] { return IsBlank(text); })) return;
    QString link;
    proc.step(emailStep::kMailLink, [&] { link = ErrorMailLink(text); });
    proc.step(emailStep::kOpenMail, [&] { opener_.open(link); });
}

void PreviewWindow::skipTable() {
    if (executing_) return;
    Procedure proc(prompts_, names::kSkipClick);
    proc.step(skipStep::kGoOn, [&] { state_.stopAfterPreview = false; });
    proc.step(skipStep::kClose, [&] { accept(); });
}

void PreviewWindow::editSelectedLine() {
    if (executing_) return;
    const QModelIndex selected = statementList->currentIndex();
    if (!selected.isValid()) return;
    EditLineDialog dialog(state_.statements, this);
    dialog.setStatement(selected.row() + 1, state_.statements.text(selected.row()));
    dialog.exec();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    if (executing_) {  // stops first, then closes
        closeWhenStopped_ = true;
        cancelExecution();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// The window closes only through its buttons and close box; Escape does not back out
// of a preview, it only stops Execute SQL.
void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelExecution();  // Escape cancels Execute SQL, and nothing else
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velmora

#include "preview/Form2.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>

#include "engine/StatementExecution.h"
#include "preview/Form3.h"
#include "preview/Form4.h"
#include "preview/Form5.h"
#include "preview/MailLink.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

namespace {

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

}  // namespace

Form2::Form2(RunState& state, QWidget* owner) : QDialog(owner), state_(state), prompts_(this) {
    setObjectName(QStringLiteral("Form2"));
    buildControls();
    MakeSizableWindow(*this, TwipsSize(8040, 8430));
    pointer_ = new PointerRules(this);
    Form_Load();
}

void Form2::buildControls() {
    setFont(WindowFont(true));
    auto button = [this](QPushButton*& field, const char* name, const QString& caption) {
        field = new QPushButton(caption, this);
        field->setObjectName(QLatin1String(name));
        field->setAutoDefault(false);
        field->setMinimumHeight(TwipsToPixels(405));
    };
    ListView1 = new StatementView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setFont(WindowFont(false));
    ListView1->header()->setFont(WindowFont(true));
    ListView1->setToolTip(kListTip);

    button(executeButton, "PushButton1", QStringLiteral("Execute SQL"));
    button(findReplaceButton, "PushButton3", QStringLiteral("Find and Replace"));
    button(copySqlButton, "PushButton2", QStringLiteral("Copy SQL To Clipboard"));

    Frame2 = new QGroupBox(QStringLiteral("Error:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Text1 = new ExactTextBox(Frame2);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(WindowFont(false));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on: a tab typed here would become part of a copied or mailed error.
    Text1->setTabChangesFocus(true);
    Frame2->setMinimumHeight(TwipsToPixels(1785));
    auto* frameLayout = new QVBoxLayout(Frame2);
    frameLayout->addWidget(Text1);

    button(jumpToErrorButton, "PushButton6", QStringLiteral("Jump To Error Line"));
    button(copyErrorButton, "PushButton4", QStringLiteral("Copy Error Message To Clipboard"));
    button(emailErrorButton, "PushButton8", QStringLiteral("Email Error Message To Tervane"));
    button(datatypesButton, "PushButton7", QStringLiteral("View Datatype Conversion"));
    button(backButton, "PushButton5", QStringLiteral("< Back"));
    button(skipButton, "PushButton9", QStringLiteral("Skip Table / Do Not Execute SQL"));

    ProgressBar1 = new CaptionedProgressBar(QString(), this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setMinimumHeight(TwipsToPixels(405));

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
    rows->addWidget(ListView1, 3);
    rows->addWidget(executeButton);
    rows->addLayout(pair(findReplaceButton, copySqlButton));
    rows->addWidget(Frame2, 1);
    rows->addLayout(pair(jumpToErrorButton, copyErrorButton));
    rows->addLayout(pair(emailErrorButton, datatypesButton));
    rows->addWidget(ProgressBar1);

    const QList<QWidget*> tabOrder = {ListView1,
                                      executeButton,
                                      findReplaceButton,
                                      copySqlButton,
                                      Text1,
                                      jumpToErrorButton,
                                      copyErrorButton,
                                      emailErrorButton,
                                      backButton,
                                      ProgressBar1,
                                      Frame2,
                                      datatypesButton,
                                      skipButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(executeButton, &QPushButton::clicked, this, [this] { executeSql(); });
    connect(copySqlButton, &QPushButton::clicked, this, [this] { copySql(); });
    connect(findReplaceButton, &QPushButton::clicked, this, [this] { findAndReplace(); });
    connect(copyErrorButton, &QPushButton::clicked, this, [this] { copyError(); });
    connect(backButton, &QPushButton::clicked, this, [this] { goBack(); });
    connect(jumpToErrorButton, &QPushButton::clicked, this, [this] { jumpToErrorLine(); });
    connect(datatypesButton, &QPushButton::clicked, this, [this] { viewDatatypes(); });
    connect(emailErrorButton, &QPushButton::clicked, this, [this] { emailError(); });
    connect(skipButton, &QPushButton::clicked, this, [this] { skipTable(); });
    connect(ListView1, &StatementView::lineClicked, this, [this](int) { ListView1_Click(); });
    connect(&state_.statements, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(StatementList::ExecutedRole)) showResumePoint();
            });
}

void Form2::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form2"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("SQL Preview"), 100);
    proc.step(112, [&] { ListView1->setModel(&state_.statements); });
    proc.step(114, [&] { ListView1->setColumnWidth(TwipsToPixels(7000)); });
}

void Form2::setExecuting(bool executing) {
    executing_ = executing;
    for (QPushButton* b : {executeButton, findReplaceButton, backButton, skipButton})
        b->setEnabled(!executing);
}

void Form2::executeSql() {
    if (executing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton1_Click")));
    StatementList& list = state_.statements;
    if (proc.test(104, [&] { return list.count() == 0; })) {
        proc.step(150, [&] { prompts_.message(QStringLiteral("No SQL to run.")); });
        return;
    }
    proc.step(106, [&] { pointer_->setBusy(true); });
    setExecuting(true);
    // The run always hands over its target connection; without one every line fails
    // as on a connection that is not open.
    db::Connection unopened;
    db::Connection& target = state_.targetConnection ? *state_.targetConnection : unopened;
    const ExecutionOutcome outcome = ExecuteStatementList(list, target, proc, *ProgressBar1, pump_);
    setExecuting(false);

    if (outcome.stoppedBySqlError) {
        proc.step(154, [&] { ErrorLine = outcome.errorLine; });
        proc.step(156, [&] { ListView1->setCurrentIndex(list.index(ErrorLine - 1)); });
        proc.step(158, [&] {
            ListView1->scrollTo(list.index(ErrorLine - 1), QAbstractItemView::PositionAtCenter);
        });
        proc.step(160, [&] { Text1->setExactText(outcome.errorText); });
        proc.step(162, [&] { ProgressBar1->setValue(0.0); });
        proc.step(164, [&] { showResumePoint(); });
        proc.step(166, [&] { pointer_->setBusy(false); });
        proc.step(168, [&] { prompts_.message(QStringLiteral("Error found.")); });
        return;
    }
    proc.step(138, [&] { state_.previewExecuted = true; });
    proc.step(140, [&] { state_.stopAfterPreview = false; });
    proc.step(142, [&] { ProgressBar1->setValue(0.0); });
    proc.step(144, [&] { ProgressBar1->setCaption(QString()); });
    proc.step(146, [&] { pointer_->setBusy(false); });
    proc.step(148, [&] { accept(); });
}

// Once some lines have run, the idle bar says where the next Execute SQL begins; an
// edit of a line that ran moves that place back to it.
void Form2::showResumePoint() {
    const StatementList& list = state_.statements;
    if (executing_) return;
    if (list.executedCount() == 0 || list.firstPending() >= list.count()) {
        ProgressBar1->setCaption(QString());
        return;
    }
    ProgressBar1->setCaption(QStringLiteral("%1 of %2 lines done; Execute SQL resumes at line %3")
                                 .arg(list.executedCount())
                                 .arg(list.count())
                                 .arg(list.firstPending() + 1));
}

void Form2::copySql() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton2_Click")));
    // Copying nothing would only empty the user's clipboard.
    if (!state_.statements.anyChecked()) {
        prompts_.message(
            QStringLiteral("No line is ticked, so nothing was copied.\r\r"
                           "Tick the lines to copy: click their boxes, or "
                           "right-click the list for \"Tick all\" "
                           "(or press Ctrl+A, then Space)."));
        return;
    }
    proc.step(106, [&] { CopyListViewToClipboard(state_.statements, clipboard_, pump_); });
    proc.step(108, [&] {
        prompts_.message(QStringLiteral("Results have been copied to the clipboard.") + kPasteHint);
    });
}

void Form2::findAndReplace() {
    if (executing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton3_Click")));
    proc.step(100, [&] {
        Form3 dialog(state_.statements, this);
        dialog.exec();
    });
}

void Form2::copyError() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton4_Click")));
    const QString text = Text1->exactText();
    if (proc.test(100, [&] { return IsBlank(text); })) return;
    proc.step(102, [&] { ClearClipboard(clipboard_); });
    proc.step(104, [&] { SetClipboardText(clipboard_, text, 0); });
    proc.step(106, [&] {
        prompts_.message(QStringLiteral("Error message have been copied to the clipboard.") +
                         kPasteHint);
    });
}

void Form2::goBack() {
    if (executing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton5_Click")));
    proc.step(100, [&] { reject(); });
}

void Form2::jumpToErrorLine() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton6_Click")));
    const int count = state_.statements.count();
    if (!proc.test(100, [&] { return count >= 1; })) return;
    // A remembered line past the end (not possible while the list keeps its size) is ignored.
    if (!proc.test(102, [&] { return ErrorLine >= 1 && ErrorLine <= count; })) return;
    const QModelIndex index = state_.statements.index(ErrorLine - 1);
    proc.step(104, [&] { ListView1->setCurrentIndex(index); });
    proc.step(106, [&] { ListView1->scrollTo(index, QAbstractItemView::PositionAtCenter); });
}

void Form2::viewDatatypes() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton7_Click")));
    proc.step(100, [&] {
        Form5 view(state_.typeMappings, this);
        view.exec();
    });
}

void Form2::emailError() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton8_Click")));
    const QString text = Text1->exactText();
    if (proc.test(100, [&] { return IsBlank(text); })) return;
    QString link;
    proc.step(102, [&] { link = ErrorMailLink(text); });
    proc.step(104, [&] { opener_.open(link); });
}

void Form2::skipTable() {
    if (executing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form2"), QStringLiteral("PushButton9_Click")));
    proc.step(100, [&] { state_.stopAfterPreview = false; });
    proc.step(102, [&] { accept(); });
}

void Form2::ListView1_Click() {
    if (executing_) return;
    const QModelIndex selected = ListView1->currentIndex();
    if (!selected.isValid()) return;
    Form4 dialog(state_.statements, this);
    dialog.setStatement(selected.row() + 1, state_.statements.text(selected.row()));
    dialog.exec();
}

void Form2::closeEvent(QCloseEvent* event) {
    if (executing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// The window closes only through its buttons and close box; Escape does not back out
// of a preview.
void Form2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velmora

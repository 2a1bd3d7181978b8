#include "preview/Form3.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "preview/LocaleFind.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

Form3::Form3(StatementList& statements, QWidget* owner, QLocale locale)
    : QDialog(owner), statements_(statements), locale_(std::move(locale)), prompts_(this) {
    setObjectName(QStringLiteral("Form3"));
    MakeFixedWindow(*this, TwipsSize(8040, 1500));
    buildControls();
    pointer_ = new PointerRules(this);
    Form_Load();
}

void Form3::buildControls() {
    setFont(WindowFont());
    Label1 = new QLabel(QStringLiteral("Find what:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceInTwips(Label1, 120, 165, 1215, 285);
    Label2 = new QLabel(QStringLiteral("Replace with:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceInTwips(Label2, 120, 645, 1215, 285);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    PlaceInTwips(Text1, 1560, 120, 6360, 345);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    PlaceInTwips(Text2, 1560, 600, 6360, 345);
    replaceButton = new QPushButton(QStringLiteral("Replace"), this);
    replaceButton->setObjectName(QStringLiteral("PushButton2"));
    PlaceInTwips(replaceButton, 120, 1050, 3840, 405);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("PushButton1"));
    PlaceInTwips(cancelButton, 4080, 1050, 3840, 405);
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, replaceButton);
    setTabOrder(replaceButton, cancelButton);
    Text1->setFocus();

    connect(replaceButton, &QPushButton::clicked, this, [this] { replace(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void Form3::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form3"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Find and Replace"), 102);
}

void Form3::cancel() {
    if (replacing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form3"), QStringLiteral("PushButton1_Click")));
    proc.step(100, [&] { reject(); });
}

void Form3::replace() {
    if (replacing_) return;
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form3"), QStringLiteral("PushButton2_Click")));
    if (proc.test(100, [&] { return statements_.count() == 0; })) {
        proc.step(128, [&] { prompts_.message(QStringLiteral("No SQL to run.")); });
        return;
    }
    const QString find = Text1->text();
    // An empty text occurs nowhere and everywhere; better to ask for one than guess.
    if (find.isEmpty()) {
        prompts_.message(QStringLiteral("Please type the text to find in \"Find what:\"."));
        Text1->setFocus();
        return;
    }
    proc.step(102, [&] { pointer_->setBusy(true); });
    replacing_ = true;
    cancelButton->setEnabled(false);
    replaceButton->setEnabled(false);
    replaceAll(proc, find, Text2->text());
    replacing_ = false;
    proc.step(124, [&] { prompts_.message(QStringLiteral("Done.")); });
    proc.step(126, [&] { accept(); });
}

void Form3::replaceAll(Procedure& proc, const QString& find, const QString& replacement) {
    int count = 0;
    proc.step(104, [&] { count = statements_.count(); });
    const LocaleFind finder(find, locale_);
    for (int row = 0; row < count; ++row) {
        pump_.yield();
        QString text;
        qsizetype at = -1;
        proc.step(108, [&] {
            text = statements_.text(row);
            at = finder.firstIn(text);
        });
        if (at < 0) continue;
        proc.step(118, [&] { text.replace(at, find.size(), replacement); });
        proc.step(120, [&] { statements_.setText(row, text); });
    }
}

void Form3::closeEvent(QCloseEvent* event) {
    if (replacing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Form3::keyPressEvent(QKeyEvent* event) {
    if (replacing_ && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velmora

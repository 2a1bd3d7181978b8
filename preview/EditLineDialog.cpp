#include "preview/Form4.h"

#include <QEvent>
#include <stdexcept>

#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

Form4::Form4(StatementList& statements, QWidget* owner)
    : QDialog(owner), statements_(statements), prompts_(this) {
    setObjectName(QStringLiteral("Form4"));
    MakeFixedWindow(*this, TwipsSize(8040, 2580));
    buildControls();
    pointer_ = new PointerRules(this);
    Form_Load();
}

void Form4::buildControls() {
    setFont(WindowFont());
    Text1 = new ExactTextBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);
    PlaceInTwips(Text1, 120, 120, 7800, 1905);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("PushButton2"));
    PlaceInTwips(okButton, 120, 2130, 3840, 405);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("PushButton1"));
    PlaceInTwips(cancelButton, 4080, 2130, 3840, 405);

    setTabOrder(Text1, okButton);
    setTabOrder(okButton, cancelButton);
    Text1->setFocus();

    connect(okButton, &QPushButton::clicked, this, [this] { applyEdit(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void Form4::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form4"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Edit Line"), 102);
}

void Form4::setStatement(int line, const QString& text) {
    ListLine = line;
    Text1->setExactText(text);
}

void Form4::cancel() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form4"), QStringLiteral("PushButton1_Click")));
    proc.step(100, [&] { reject(); });
}

void Form4::applyEdit() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form4"), QStringLiteral("PushButton2_Click")));
    proc.step(100, [&] {
        if (ListLine < 1 || ListLine > statements_.count())
            throw std::out_of_range("Index out of bounds");
        statements_.setText(ListLine - 1, Text1->exactText());
    });
    proc.step(102, [&] { accept(); });
}

// The whole statement is selected whenever the box gets the focus, so typing replaces it.
bool Form4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusIn) Text1->selectAll();
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmora

#include "Form4.h"

#include <QEvent>
#include <stdexcept>

#include "OpeningSteps.h"
#include "Twips.h"

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
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    setFont(arial);
    Text1 = new ExactTextBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);
    PlaceInTwips(Text1, 120, 120, 7800, 1905);
    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    PushButton2->setObjectName(QStringLiteral("PushButton2"));
    PlaceInTwips(PushButton2, 120, 2130, 3840, 405);
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PlaceInTwips(PushButton1, 4080, 2130, 3840, 405);

    setTabOrder(Text1, PushButton2);
    setTabOrder(PushButton2, PushButton1);
    Text1->setFocus();

    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
}

void Form4::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form4"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Edit Line"), 102);
}

void Form4::setStatement(int line, const QString& text) {
    ListLine = line;
    Text1->setExactText(text);
}

void Form4::PushButton1_Click() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form4"), QStringLiteral("PushButton1_Click")));
    proc.step(100, [&] { reject(); });
}

void Form4::PushButton2_Click() {
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

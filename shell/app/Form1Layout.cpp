// The controls of the main window, their captions, object names and arrangement.

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Form1.h"

namespace velmora {

namespace {

template <typename W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QLineEdit* textBox(const QString& name) {
    auto* box = named(new QLineEdit, name);
    box->setMinimumWidth(260);
    return box;
}

}  // namespace

QPushButton* Form1::addButton(const QString& name, const QString& caption,
                              void (Form1::*command)()) {
    auto* button = named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    return button;
}

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    // Arial is served by Liberation Sans, its metric twin, on Debian.
    QFont arial(QStringLiteral("Arial"), 9);
    arial.setStyleHint(QFont::SansSerif);
    setFont(arial);

    Frame1 = named(new QGroupBox(QStringLiteral("Access Database")), QStringLiteral("Frame1"));
    Label5 = named(new QLabel(QStringLiteral("MDB or ACCDB File:")), QStringLiteral("Label5"));
    Text5 = textBox(QStringLiteral("Text5"));
    PushButton1 =
        addButton(QStringLiteral("PushButton1"), QStringLiteral("..."), &Form1::PushButton1_Click);
    lblPassword =
        named(new QLabel(QStringLiteral("Password (if required):")), QStringLiteral("lblPassword"));
    Text6 = textBox(QStringLiteral("Text6"));
    Text6->setEchoMode(QLineEdit::Password);
    Text6->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    PushButton4 =
        addButton(QStringLiteral("PushButton4"), QStringLiteral("Load Sample/Example Database"),
                  &Form1::PushButton4_Click);

    Frame3 = named(new QGroupBox(QStringLiteral("Paradox Database")), QStringLiteral("Frame3"));
    Label1 = named(new QLabel(QStringLiteral("Paradox Folder:")), QStringLiteral("Label1"));
    Text1 = textBox(QStringLiteral("Text1"));
    PushButton2 =
        addButton(QStringLiteral("PushButton2"), QStringLiteral("..."), &Form1::PushButton2_Click);
    PushButton3 = addButton(QStringLiteral("PushButton3"), QStringLiteral("Test Connection"),
                            &Form1::PushButton3_Click);
    PushButton6 =
        addButton(QStringLiteral("PushButton6"), QStringLiteral("Load Sample/Example Database"),
                  &Form1::PushButton6_Click);

    Frame2 = named(new QGroupBox(QStringLiteral("SQL Preview")), QStringLiteral("Frame2"));
    Check1 = named(new QCheckBox(QStringLiteral(
                       "Enable SQL Preview mode to see SQL commands or check for errors")),
                   QStringLiteral("Check1"));
    Option1 = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each File")),
                    QStringLiteral("Option1"));
    Option2 = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each Table")),
                    QStringLiteral("Option2"));

    PushButton5 =
        addButton(QStringLiteral("PushButton5"), QStringLiteral("Help"), &Form1::PushButton5_Click);
    PushButton7 = addButton(QStringLiteral("PushButton7"), QStringLiteral("Start Converting"),
                            &Form1::PushButton7_Click);
    ProgressBar1 = named(new CaptionedProgressBar(QString()), QStringLiteral("ProgressBar1"));

    // The labels of both frames share one width so that the boxes line up.
    const QFontMetrics metrics(arial);
    const int labelWidth = metrics.horizontalAdvance(lblPassword->text()) + 8;
    for (QLabel* label : {Label5, lblPassword, Label1}) label->setMinimumWidth(labelWidth);
    const int browseWidth = metrics.horizontalAdvance(QStringLiteral("...")) + 28;
    for (QPushButton* browse : {PushButton1, PushButton2}) browse->setFixedWidth(browseWidth);
    const int sampleWidth = metrics.horizontalAdvance(PushButton4->text()) + 32;
    for (QPushButton* wide : {PushButton4, PushButton6}) wide->setMinimumWidth(sampleWidth);
    PushButton3->setMinimumWidth(metrics.horizontalAdvance(PushButton3->text()) + 32);
    PushButton5->setMinimumWidth(96);
    PushButton7->setMinimumSize(metrics.horizontalAdvance(PushButton7->text()) + 48, 32);
    ProgressBar1->setMinimumHeight(22);

    auto* access = new QGridLayout(Frame1);
    access->addWidget(Label5, 0, 0);
    access->addWidget(Text5, 0, 1, 1, 2);
    access->addWidget(PushButton1, 0, 3);
    access->addWidget(lblPassword, 1, 0);
    access->addWidget(Text6, 1, 1);
    access->addWidget(PushButton4, 1, 2, 1, 2, Qt::AlignRight);
    access->setColumnStretch(1, 1);

    auto* paradox = new QGridLayout(Frame3);
    paradox->addWidget(Label1, 0, 0);
    paradox->addWidget(Text1, 0, 1, 1, 2);
    paradox->addWidget(PushButton2, 0, 3);
    paradox->addWidget(PushButton3, 1, 1, Qt::AlignLeft);
    paradox->addWidget(PushButton6, 1, 2, 1, 2, Qt::AlignRight);
    paradox->setColumnStretch(1, 1);

    auto* preview = new QVBoxLayout(Frame2);
    preview->addWidget(Check1);
    for (QRadioButton* option : {Option1, Option2}) {
        auto* indented = new QHBoxLayout;
        indented->addSpacing(24);
        indented->addWidget(option);
        preview->addLayout(indented);
    }

    auto* commands = new QHBoxLayout;
    commands->addWidget(PushButton5);
    commands->addStretch(1);
    commands->addWidget(PushButton7);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(12, 12, 12, 12);
    window->setSpacing(10);
    window->addWidget(Frame1);
    window->addWidget(Frame3);
    window->addWidget(Frame2);
    window->addLayout(commands);
    window->addWidget(ProgressBar1);
    setMinimumWidth(600);
}

}  // namespace velmora

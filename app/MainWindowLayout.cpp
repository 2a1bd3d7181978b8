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

#include "app/Form1.h"

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
    const QFont arial = WindowFont();
    setFont(arial);

    Frame1 = named(new QGroupBox(QStringLiteral("Access Database")), QStringLiteral("Frame1"));
    Label5 = named(new QLabel(QStringLiteral("MDB or ACCDB File:")), QStringLiteral("Label5"));
    Text5 = textBox(QStringLiteral("Text5"));
    browseAccessButton =
        addButton(QStringLiteral("PushButton1"), QStringLiteral("..."), &Form1::browseAccessFile);
    lblPassword =
        named(new QLabel(QStringLiteral("Password (if required):")), QStringLiteral("lblPassword"));
    Text6 = textBox(QStringLiteral("Text6"));
    Text6->setEchoMode(QLineEdit::Password);
    Text6->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    accessSampleButton =
        addButton(QStringLiteral("PushButton4"), QStringLiteral("Load Sample/Example Database"),
                  &Form1::loadSampleDatabase);

    Frame3 = named(new QGroupBox(QStringLiteral("Paradox Database")), QStringLiteral("Frame3"));
    Label1 = named(new QLabel(QStringLiteral("Paradox Folder:")), QStringLiteral("Label1"));
    Text1 = textBox(QStringLiteral("Text1"));
    browseParadoxButton = addButton(QStringLiteral("PushButton2"), QStringLiteral("..."),
                                    &Form1::browseParadoxFolder);
    testConnectionButton = addButton(QStringLiteral("PushButton3"),
                                     QStringLiteral("Test Connection"), &Form1::testConnection);
    paradoxSampleButton =
        addButton(QStringLiteral("PushButton6"), QStringLiteral("Load Sample/Example Database"),
                  &Form1::loadSampleFolder);

    Frame2 = named(new QGroupBox(QStringLiteral("SQL Preview")), QStringLiteral("Frame2"));
    Check1 = named(new QCheckBox(QStringLiteral(
                       "Enable SQL Preview mode to see SQL commands or check for errors")),
                   QStringLiteral("Check1"));
    Option1 = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each File")),
                    QStringLiteral("Option1"));
    Option2 = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each Table")),
                    QStringLiteral("Option2"));

    helpButton = addButton(QStringLiteral("PushButton5"), QStringLiteral("Help"), &Form1::showHelp);
    startButton = addButton(QStringLiteral("PushButton7"), QStringLiteral("Start Converting"),
                            &Form1::startConverting);
    ProgressBar1 = named(new CaptionedProgressBar(QString()), QStringLiteral("ProgressBar1"));

    // The labels of both frames share one width so that the boxes line up.
    const QFontMetrics metrics(arial);
    const int labelWidth = metrics.horizontalAdvance(lblPassword->text()) + 8;
    for (QLabel* label : {Label5, lblPassword, Label1}) label->setMinimumWidth(labelWidth);
    const int browseWidth = metrics.horizontalAdvance(QStringLiteral("...")) + 28;
    for (QPushButton* browse : {browseAccessButton, browseParadoxButton})
        browse->setFixedWidth(browseWidth);
    const int sampleWidth = metrics.horizontalAdvance(accessSampleButton->text()) + 32;
    for (QPushButton* wide : {accessSampleButton, paradoxSampleButton})
        wide->setMinimumWidth(sampleWidth);
    testConnectionButton->setMinimumWidth(metrics.horizontalAdvance(testConnectionButton->text()) +
                                          32);
    helpButton->setMinimumWidth(96);
    startButton->setMinimumSize(metrics.horizontalAdvance(startButton->text()) + 48, 32);
    ProgressBar1->setMinimumHeight(22);

    auto* access = new QGridLayout(Frame1);
    access->addWidget(Label5, 0, 0);
    access->addWidget(Text5, 0, 1, 1, 2);
    access->addWidget(browseAccessButton, 0, 3);
    access->addWidget(lblPassword, 1, 0);
    access->addWidget(Text6, 1, 1);
    access->addWidget(accessSampleButton, 1, 2, 1, 2, Qt::AlignRight);
    access->setColumnStretch(1, 1);

    auto* paradox = new QGridLayout(Frame3);
    paradox->addWidget(Label1, 0, 0);
    paradox->addWidget(Text1, 0, 1, 1, 2);
    paradox->addWidget(browseParadoxButton, 0, 3);
    paradox->addWidget(testConnectionButton, 1, 1, Qt::AlignLeft);
    paradox->addWidget(paradoxSampleButton, 1, 2, 1, 2, Qt::AlignRight);
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
    commands->addWidget(helpButton);
    commands->addStretch(1);
    commands->addWidget(startButton);

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

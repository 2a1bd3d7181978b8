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

#include "app/MainWindow.h"
#include "common/UiNames.h"

namespace velmora {

namespace {

namespace names = ui::mainWindow;

template <typename W>
W* named(W* widget, UiName name) {
    widget->setObjectName(name);
    return widget;
}

QLineEdit* textBox(UiName name) {
    auto* box = named(new QLineEdit, name);
    box->setMinimumWidth(260);
    return box;
}

}  // namespace

QPushButton* MainWindow::addButton(UiName name, const QString& caption,
                                   void (MainWindow::*command)()) {
    auto* button = named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    return button;
}

void MainWindow::buildControls() {
    setObjectName(names::kWindow);
    const QFont arial = WindowFont();
    setFont(arial);

    accessFrame = named(new QGroupBox(QStringLiteral("Access Database")), names::kAccessFrame);
    accessFileLabel =
        named(new QLabel(QStringLiteral("MDB or ACCDB File:")), names::kAccessFileLabel);
    accessFileBox = textBox(names::kAccessFileBox);
    browseAccessButton =
        addButton(names::kBrowseAccessButton, QStringLiteral("..."), &MainWindow::browseAccessFile);
    passwordLabel =
        named(new QLabel(QStringLiteral("Password (if required):")), names::kPasswordLabel);
    passwordBox = textBox(names::kPasswordBox);
    passwordBox->setEchoMode(QLineEdit::Password);
    passwordBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    accessSampleButton =
        addButton(names::kAccessSampleButton, QStringLiteral("Load Sample/Example Database"),
                  &MainWindow::loadSampleDatabase);

    paradoxFrame = named(new QGroupBox(QStringLiteral("Paradox Database")), names::kParadoxFrame);
    paradoxFolderLabel =
        named(new QLabel(QStringLiteral("Paradox Folder:")), names::kParadoxFolderLabel);
    paradoxFolderBox = textBox(names::kParadoxFolderBox);
    browseParadoxButton = addButton(names::kBrowseParadoxButton, QStringLiteral("..."),
                                    &MainWindow::browseParadoxFolder);
    testConnectionButton =
        addButton(names::kTestConnectionButton, QStringLiteral("Test Connection"),
                  &MainWindow::testConnection);
    paradoxSampleButton =
        addButton(names::kParadoxSampleButton, QStringLiteral("Load Sample/Example Database"),
                  &MainWindow::loadSampleFolder);

    accessRulesCheck =
        named(new QCheckBox(QStringLiteral("Carry the fields' required, default and range rules")),
              names::kAccessRulesCheck);
    accessRulesCheck->setToolTip(QStringLiteral(
        "Into each table's .VAL file; the summary lists the rules Paradox cannot hold."));

    previewFrame = named(new QGroupBox(QStringLiteral("SQL Preview")), names::kPreviewFrame);
    previewCheck = named(new QCheckBox(QStringLiteral(
                             "Enable SQL Preview mode to see SQL commands or check for errors")),
                         names::kPreviewCheck);
    perFileOption = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each File")),
                          names::kPerFileOption);
    perTableOption = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each Table")),
                           names::kPerTableOption);

    helpButton = addButton(names::kHelpButton, QStringLiteral("Help"), &MainWindow::showHelp);
    startButton = addButton(names::kStartButton, QStringLiteral("Start Converting"),
                            &MainWindow::startConverting);
    cancelButton =
        addButton(names::kCancelButton, QStringLiteral("Cancel"), &MainWindow::cancelRun);
    cancelButton->hide();
    progressBar = named(new CaptionedProgressBar(QString()), names::kProgressBar);

    // The labels of both frames share one width so that the boxes line up.
    const QFontMetrics metrics(arial);
    const int labelWidth = metrics.horizontalAdvance(passwordLabel->text()) + 8;
    for (QLabel* label : {accessFileLabel, passwordLabel, paradoxFolderLabel})
        label->setMinimumWidth(labelWidth);
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
    progressBar->setMinimumHeight(22);

    auto* access = new QGridLayout(accessFrame);
    access->addWidget(accessFileLabel, 0, 0);
    access->addWidget(accessFileBox, 0, 1, 1, 2);
    access->addWidget(browseAccessButton, 0, 3);
    access->addWidget(passwordLabel, 1, 0);
    access->addWidget(passwordBox, 1, 1);
    access->addWidget(accessSampleButton, 1, 2, 1, 2, Qt::AlignRight);
    access->setColumnStretch(1, 1);

    auto* paradox = new QGridLayout(paradoxFrame);
    paradox->addWidget(paradoxFolderLabel, 0, 0);
    paradox->addWidget(paradoxFolderBox, 0, 1, 1, 2);
    paradox->addWidget(browseParadoxButton, 0, 3);
    paradox->addWidget(testConnectionButton, 1, 1, Qt::AlignLeft);
    paradox->addWidget(paradoxSampleButton, 1, 2, 1, 2, Qt::AlignRight);
    paradox->addWidget(accessRulesCheck, 3, 0, 1, 4);
    paradox->setColumnStretch(1, 1);

    auto* preview = new QVBoxLayout(previewFrame);
    preview->addWidget(previewCheck);
    for (QRadioButton* option : {perFileOption, perTableOption}) {
        auto* indented = new QHBoxLayout;
        indented->addSpacing(24);
        indented->addWidget(option);
        preview->addLayout(indented);
    }

    auto* commands = new QHBoxLayout;
    commands->addWidget(helpButton);
    commands->addStretch(1);
    commands->addWidget(startButton);
    commands->addWidget(cancelButton);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(12, 12, 12, 12);
    window->setSpacing(10);
    window->addWidget(accessFrame);
    window->addWidget(paradoxFrame);
    window->addWidget(previewFrame);
    window->addLayout(commands);
    window->addWidget(progressBar);
    setMinimumWidth(600);
}

}  // namespace velmora

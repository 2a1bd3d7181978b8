// The controls of the main window, their captions, object names and arrangement, and
// its menu bar. Every command has its Alt+letter: the buttons and labels carry one, and
// the menus reach the "..." buttons' commands too.

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/MainWindow.h"
#include "common/UiNames.h"
#include "gui/WindowSupport.h"

namespace velmora {

namespace {

namespace names = ui::mainWindow;

QLineEdit* textBox(UiName name) {
    auto* box = named(new QLineEdit, name);
    box->setMinimumWidth(120);
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

    // Alt+F, Alt+T and Alt+H open the menus; the controls use other letters.
    accessFrame = named(new QGroupBox(QStringLiteral("Access Database")), names::kAccessFrame);
    accessFileLabel =
        named(new QLabel(QStringLiteral("&MDB or ACCDB File:")), names::kAccessFileLabel);
    accessFileBox = textBox(names::kAccessFileBox);
    browseAccessButton =
        addButton(names::kBrowseAccessButton, QStringLiteral("..."), &MainWindow::browseAccessFile);
    browseAccessButton->setToolTip(QStringLiteral("Select Access Database (Ctrl+O)"));
    passwordLabel =
        named(new QLabel(QStringLiteral("Pass&word (if required):")), names::kPasswordLabel);
    passwordBox = textBox(names::kPasswordBox);
    passwordBox->setEchoMode(QLineEdit::Password);
    passwordBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    accessSampleButton =
        addButton(names::kAccessSampleButton, QStringLiteral("Load S&ample/Example Database"),
                  &MainWindow::loadSampleDatabase);
    accessFileLabel->setBuddy(accessFileBox);
    passwordLabel->setBuddy(passwordBox);

    paradoxFrame = named(new QGroupBox(QStringLiteral("Paradox Database")), names::kParadoxFrame);
    paradoxFolderLabel =
        named(new QLabel(QStringLiteral("Paradox F&older:")), names::kParadoxFolderLabel);
    paradoxFolderBox = textBox(names::kParadoxFolderBox);
    paradoxFolderLabel->setBuddy(paradoxFolderBox);
    browseParadoxButton = addButton(names::kBrowseParadoxButton, QStringLiteral("..."),
                                    &MainWindow::browseParadoxFolder);
    browseParadoxButton->setToolTip(QStringLiteral("Select the Paradox folder (Ctrl+D)"));
    testConnectionButton =
        addButton(names::kTestConnectionButton, QStringLiteral("Test &Connection"),
                  &MainWindow::testConnection);
    paradoxSampleButton =
        addButton(names::kParadoxSampleButton, QStringLiteral("Load Sam&ple/Example Database"),
                  &MainWindow::loadSampleFolder);

    accessKeysCheck = named(
        new QCheckBox(QStringLiteral("Key tables on their Access primary keys, with their indexes "
                                     "and AutoNumber fields")),
        names::kAccessKeysCheck);
    accessKeysCheck->setToolTip(
        QStringLiteral("Unticked, every table is keyed on an added row number column \"TVXID\"."));
    accessRulesCheck =
        named(new QCheckBox(QStringLiteral("Carry the fields' required, default and range rules")),
              names::kAccessRulesCheck);
    accessRulesCheck->setToolTip(QStringLiteral(
        "Into each table's .VAL file, and with the Access keys the enforced relationships; the "
        "summary lists the rules Paradox cannot hold."));

    previewFrame = named(new QGroupBox(QStringLiteral("SQL Preview")), names::kPreviewFrame);
    previewCheck = named(new QCheckBox(QStringLiteral(
                             "&Enable SQL Preview mode to see SQL commands or check for errors")),
                         names::kPreviewCheck);
    perFileOption = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each F&ile")),
                          names::kPerFileOption);
    perTableOption = named(new QRadioButton(QStringLiteral("Show SQL Preview For Each Ta&ble")),
                           names::kPerTableOption);

    helpButton = addButton(names::kHelpButton, QStringLiteral("He&lp"), &MainWindow::showHelp);
    optionsButton =
        addButton(names::kOptionsButton, QStringLiteral("Optio&ns..."), &MainWindow::showOptions);
    startButton = addButton(names::kStartButton, QStringLiteral("&Start Converting"),
                            &MainWindow::startConverting);
    cancelButton =
        addButton(names::kCancelButton, QStringLiteral("Cancel"), &MainWindow::cancelRun);
    cancelButton->hide();
    progressBar = named(new CaptionedProgressBar(QString()), names::kProgressBar);

    // The labels of both frames share one width so that the boxes line up; every width
    // follows from the text in the font at hand, so no scale or font lets one control run
    // under another: the layouts make the window wider instead.
    const QFontMetrics metrics(arial);
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("Password (if required):")) + 8;
    for (QLabel* label : {accessFileLabel, passwordLabel, paradoxFolderLabel})
        label->setMinimumWidth(labelWidth);
    const int browseWidth = metrics.horizontalAdvance(QStringLiteral("...")) + 28;
    for (QPushButton* browse : {browseAccessButton, browseParadoxButton})
        browse->setFixedWidth(browseWidth);
    for (QPushButton* button :
         {accessSampleButton, paradoxSampleButton, testConnectionButton, helpButton, optionsButton})
        button->setMinimumWidth(
            std::max(96, metrics.horizontalAdvance(QString(button->text()).remove(u'&')) + 32));
    startButton->setMinimumSize(
        metrics.horizontalAdvance(QString(startButton->text()).remove(u'&')) + 48,
        metrics.height() + 16);
    cancelButton->setMinimumSize(startButton->minimumSize());  // it takes Start's place
    progressBar->setMinimumHeight(metrics.height() + 8);

    auto* access = new QGridLayout(accessFrame);
    access->addWidget(accessFileLabel, 0, 0);
    access->addWidget(accessFileBox, 0, 1);
    access->addWidget(browseAccessButton, 0, 2);
    access->addWidget(passwordLabel, 1, 0);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(passwordBox, 1);
    passwordRow->addWidget(accessSampleButton);
    access->addLayout(passwordRow, 1, 1, 1, 2);
    access->setColumnStretch(1, 1);

    auto* paradox = new QGridLayout(paradoxFrame);
    paradox->addWidget(paradoxFolderLabel, 0, 0);
    paradox->addWidget(paradoxFolderBox, 0, 1);
    paradox->addWidget(browseParadoxButton, 0, 2);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(testConnectionButton);
    folderRow->addStretch(1);
    folderRow->addWidget(paradoxSampleButton);
    paradox->addLayout(folderRow, 1, 1, 1, 2);
    paradox->addWidget(accessKeysCheck, 2, 0, 1, 3);
    paradox->addWidget(accessRulesCheck, 3, 0, 1, 3);
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
    commands->addWidget(optionsButton);
    commands->addStretch(1);
    commands->addWidget(startButton);
    commands->addWidget(cancelButton);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(12, 6, 12, 12);
    window->setSpacing(10);
    buildMenus();
    window->setMenuBar(menuBar);
    window->addWidget(accessFrame);
    window->addWidget(paradoxFrame);
    window->addWidget(previewFrame);
    window->addLayout(commands);
    window->addWidget(progressBar);
    setMinimumWidth(600);

    // Tab follows the eye: top to bottom, left to right.
    const QList<QWidget*> tabOrder = {
        accessFileBox,    browseAccessButton,  passwordBox,          accessSampleButton,
        paradoxFolderBox, browseParadoxButton, testConnectionButton, paradoxSampleButton,
        accessKeysCheck,  accessRulesCheck,    previewCheck,         perFileOption,
        perTableOption,   helpButton,          optionsButton,        startButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void MainWindow::buildMenus() {
    menuBar = named(new QMenuBar(this), names::kMenuBar);
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open Access Database..."), QKeySequence::Open, this,
                    &MainWindow::browseAccessFile);
    file->addAction(QStringLiteral("Choose Paradox &Folder..."), QKeySequence(Qt::CTRL | Qt::Key_D),
                    this, &MainWindow::browseParadoxFolder);
    file->addSeparator();
    recentDatabasesMenu = file->addMenu(QStringLiteral("Recent &Databases"));
    recentFoldersMenu = file->addMenu(QStringLiteral("Recent Fo&lders"));
    connect(recentDatabasesMenu, &QMenu::aboutToShow, this, [this] {
        fillRecentMenu(recentDatabasesMenu, settingKey::kRecentDatabases, accessFileBox);
    });
    connect(recentFoldersMenu, &QMenu::aboutToShow, this, [this] {
        fillRecentMenu(recentFoldersMenu, settingKey::kRecentFolders, paradoxFolderBox);
    });
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* tools = menuBar->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Test Connection"), this, &MainWindow::testConnection);
    tools->addAction(QStringLiteral("&Start Converting"), QKeySequence(Qt::Key_F5), this,
                     &MainWindow::startConverting);
    tools->addSeparator();
    tools->addAction(QStringLiteral("&Options..."), this, &MainWindow::showOptions);

    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Help"), QKeySequence::HelpContents, this,
                    &MainWindow::showHelp);
}

}  // namespace velmora

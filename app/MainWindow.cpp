#include "app/MainWindow.h"
#include "engine/SecretMemory.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>

namespace velmora {

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), prompts_(this), pointer_(this) {
    buildControls();
    connectBehaviours();
    preview_ = services_.makePreview(this);
}

void MainWindow::connectBehaviours() {
    // A change of the check box's value, by the user or by start-up, is its click.
    connect(previewCheck, &QCheckBox::stateChanged, this, [this] { previewCheckClicked(); });
    // An option's click is its becoming selected; the other one is cleared by then.
    for (QRadioButton* option : {perFileOption, perTableOption})
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected) previewOptionClicked();
        });
    // The check box, option and text box behaviours have no error report; a store that
    // cannot be written leaves the entry as typed.
    connect(paradoxFolderBox, &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.write(settingKey::kParadoxFolder, text); });
    connect(accessRulesCheck, &QCheckBox::toggled, this,
            [this](bool on) { settings_.write(settingKey::kAccessRules, TruthText(on)); });
    connect(accessFileBox, &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.write(settingKey::kAccessFile, text); });
    connect(passwordBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A password held by the window, saved or typed, stays out of core dumps.
        if (!text.isEmpty()) KeepSecretsOutOfCoreDumps();
        settings_.write(settingKey::kAccessPassword, text);
    });
    for (QLineEdit* box : {paradoxFolderBox, accessFileBox, passwordBox})
        box->installEventFilter(this);
}

void MainWindow::previewCheckClicked() {
    const bool on = previewCheck->checkState() == Qt::Checked;
    perFileOption->setEnabled(on);
    perTableOption->setEnabled(on);
    settings_.write(settingKey::kPreviewEnabled, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void MainWindow::previewOptionClicked() {
    settings_.write(settingKey::kPreviewPerFile, TruthText(perFileOption->isChecked()));
    settings_.write(settingKey::kPreviewPerTable, TruthText(perTableOption->isChecked()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The whole text is selected once the focus has arrived, after the mouse press that
    // brought it has placed the cursor, so that typing replaces it.
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

// Escape during a run is Cancel; otherwise it does nothing in this window.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && state_.conversionRunning) {
        cancelRun();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A run yields to this event loop from inside its button's click: the window closes
    // once the run has stopped, leaving the table it was writing as it was.
    if (state_.conversionRunning) {
        event->ignore();
        if (closeAfterRun_ ||
            prompts_.askYesNo(QStringLiteral("A conversion is running. Cancel it and close?"),
                              QStringLiteral("Cancel?"))) {
            closeAfterRun_ = true;
            state_.cancelRequested = true;
        }
        return;
    }
    event->accept();
}

QString MainWindow::paradoxFolder() const {
    return paradoxFolderBox->text();
}
void MainWindow::setParadoxFolder(const QString& folder) {
    paradoxFolderBox->setText(folder);
}
QString MainWindow::accessFile() const {
    return accessFileBox->text();
}
QString MainWindow::accessPassword() const {
    return passwordBox->text();
}
int MainWindow::jet3CodePage() const {
    try {
        return SettingToInteger(settings_.read(settingKey::kJet3CodePage, QStringLiteral("0")));
    } catch (...) {
        return 0;  // an unreadable setting keeps the header's code page
    }
}
bool MainWindow::strictReading() const {
    try {
        return SettingToTruth(settings_.read(settingKey::kStrictReading, QStringLiteral("False")));
    } catch (...) {
        return false;  // an unreadable setting keeps the default: every readable row
    }
}
bool MainWindow::previewEnabled() const {
    return previewCheck->checkState() == Qt::Checked;
}
bool MainWindow::previewPerFile() const {
    return perFileOption->isChecked();
}
bool MainWindow::previewPerTable() const {
    return perTableOption->isChecked();
}

}  // namespace velmora

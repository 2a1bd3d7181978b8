#include "app/MainWindow.h"
#include "app/ConversionChoices.h"
#include "engine/SecretMemory.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

namespace velmora {

namespace {

constexpr int kRecentCount = 8;

// A local file or folder among the dropped ones that the window can take: an Access
// database, or a folder for the Paradox tables.
struct Dropped {
    QString database;
    QString folder;
};

Dropped droppedEntries(const QMimeData* data) {
    Dropped dropped;
    if (!data || !data->hasUrls()) return dropped;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo entry(url.toLocalFile());
        const QString suffix = entry.suffix().toLower();
        if (entry.isFile() && (suffix == u"mdb" || suffix == u"accdb") &&
            dropped.database.isEmpty())
            dropped.database = entry.absoluteFilePath();
        else if (entry.isDir() && dropped.folder.isEmpty())
            dropped.folder = entry.absoluteFilePath();
    }
    return dropped;
}

}  // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      prompts_(this, &services_.opener),
      pointer_(this) {
    buildControls();
    connectBehaviours();
    setAcceptDrops(true);
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
    keepPlace();
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

void MainWindow::keepPlace() {
    settings_.write(settingKey::kMainWindowPlace, QString::fromLatin1(saveGeometry().toBase64()));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const Dropped dropped = droppedEntries(event->mimeData());
    if (!state_.conversionRunning && (!dropped.database.isEmpty() || !dropped.folder.isEmpty()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (state_.conversionRunning) return;
    const Dropped dropped = droppedEntries(event->mimeData());
    if (!dropped.database.isEmpty()) accessFileBox->setText(dropped.database);
    if (!dropped.folder.isEmpty()) paradoxFolderBox->setText(dropped.folder);
    event->acceptProposedAction();
}

QStringList MainWindow::recent(QLatin1StringView key) const {
    try {
        QStringList entries = settings_.read(key, QString()).split(u'\n', Qt::SkipEmptyParts);
        return entries.mid(0, kRecentCount);
    } catch (...) {
        return {};  // an unreadable store has no recent entries to offer
    }
}

void MainWindow::remember(QLatin1StringView key, const QString& entry) {
    if (entry.trimmed().isEmpty() || entry.contains(u'\n')) return;
    QStringList entries = recent(key);
    entries.removeAll(entry);
    entries.prepend(entry);
    settings_.write(key, entries.mid(0, kRecentCount).join(u'\n'));
}

void MainWindow::fillRecentMenu(QMenu* menu, QLatin1StringView key, QLineEdit* box) {
    menu->clear();
    const QStringList entries = recent(key);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString entry = entries[i];
        // "&1 /path", the number as the entry's Alt+letter; "&" in a path shown as it is.
        QAction* action = menu->addAction(
            QStringLiteral("&%1 ").arg(i + 1) + QString(entry).replace(u'&', QStringLiteral("&&")),
            this, [box, entry] { box->setText(entry); });
        action->setEnabled(!state_.conversionRunning);
    }
    if (entries.isEmpty()) menu->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
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
    return ReadConversionChoices(settings_).jet3CodePage;
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

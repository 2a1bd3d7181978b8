#include "app/Form1.h"
#include "engine/SecretMemory.h"

#include <unistd.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>

namespace velmora {

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), prompts_(this), pointer_(this) {
    buildControls();
    connectBehaviours();
    preview_ = services_.makePreview(this);
}

void Form1::connectBehaviours() {
    // A change of the check box's value, by the user or by start-up, is its click.
    connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
    // An option's click is its becoming selected; the other one is cleared by then.
    for (QRadioButton* option : {Option1, Option2})
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected) Option_Click();
        });
    // The check box, option and text box behaviours have no error report; a store that
    // cannot be written leaves the entry as typed.
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& text) {
        settings_.write(QStringLiteral("ParadoxFolder"), text);
    });
    connect(Text5, &QLineEdit::textChanged, this, [this](const QString& text) {
        settings_.write(QStringLiteral("AccessMDBFile"), text);
    });
    connect(Text6, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A password held by the window, saved or typed, stays out of core dumps.
        if (!text.isEmpty()) KeepSecretsOutOfCoreDumps();
        settings_.write(QStringLiteral("AccessPassword"), text);
    });
    for (QLineEdit* box : {Text1, Text5, Text6}) box->installEventFilter(this);
}

void Form1::Check1_Click() {
    const bool on = Check1->checkState() == Qt::Checked;
    Option1->setEnabled(on);
    Option2->setEnabled(on);
    settings_.write(QStringLiteral("Check1"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Form1::Option_Click() {
    settings_.write(QStringLiteral("Option1"), TruthText(Option1->isChecked()));
    settings_.write(QStringLiteral("Option2"), TruthText(Option2->isChecked()));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // The whole text is selected once the focus has arrived, after the mouse press that
    // brought it has placed the cursor, so that typing replaces it.
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once. A run yields to this event loop
    // from inside its button's click, between two statements; nothing would return to
    // the main loop before the run ends, so the process ends here.
    if (state_.conversionRunning) ::_exit(0);
    event->accept();
}

QString Form1::paradoxFolder() const {
    return Text1->text();
}
void Form1::setParadoxFolder(const QString& folder) {
    Text1->setText(folder);
}
QString Form1::accessFile() const {
    return Text5->text();
}
QString Form1::accessPassword() const {
    return Text6->text();
}
int Form1::jet3CodePage() const {
    try {
        return SettingToInteger(
            settings_.read(QStringLiteral("Jet3CodePage"), QStringLiteral("0")));
    } catch (...) {
        return 0;  // an unreadable setting keeps the header's code page
    }
}
bool Form1::strictReading() const {
    try {
        return SettingToTruth(
            settings_.read(QStringLiteral("StrictReading"), QStringLiteral("False")));
    } catch (...) {
        return false;  // an unreadable setting keeps the default: every readable row
    }
}
bool Form1::previewEnabled() const {
    return Check1->checkState() == Qt::Checked;
}
bool Form1::previewPerFile() const {
    return Option1->isChecked();
}
bool Form1::previewPerTable() const {
    return Option2->isChecked();
}

}  // namespace velmora

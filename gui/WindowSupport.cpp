#include "gui/WindowSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QChildEvent>
#include <QClipboard>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

#include "common/Helpers.h"

namespace velmora {

QFont WindowFont(bool bold) {
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    return font;
}

void ResetFormColors(QWidget* window) {
    const QColor face = window->palette().color(QPalette::Button);
    auto paint = [&face](QWidget* w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, face);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    paint(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            paint(child);
    }
}

std::optional<QCursor> LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    // ICONDIR (reserved 0, type 2 = cursor, count) then the first 16-byte entry, whose
    // "planes" and "bit count" words hold the hotspot in a cursor file.
    if (bytes.size() < 22) return std::nullopt;
    auto word = [&bytes](int at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) |
                                static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    if (word(0) != 0 || word(2) != 2 || word(4) < 1) return std::nullopt;
    const QImage image = QImage::fromData(bytes, "CUR");
    if (image.isNull()) return std::nullopt;
    return QCursor(QPixmap::fromImage(image), word(10), word(12));
}

QString HandCursorPath() {
    return ProgramFolder() + QStringLiteral("/HAND-M.CUR");
}

PointerRules::PointerRules(QWidget* window) : QObject(window), window_(window) {
    watch(window);
}

void PointerRules::watch(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType()) watch(child);
}

void PointerRules::setBusy(bool busy) {
    if (!window_) return;
    if (busy && !busy_) {
        // The hourglass shows over the whole window, text boxes included.
        for (QWidget* child : window_->findChildren<QWidget*>())
            if (!child->isWindow() && child->testAttribute(Qt::WA_SetCursor)) {
                ownPointers_.append({child, child->cursor()});
                child->setCursor(Qt::WaitCursor);
            }
    } else if (!busy && busy_) {
        for (const auto& [child, cursor] : ownPointers_)
            if (child) child->setCursor(cursor);
        ownPointers_.clear();
    }
    busy_ = busy;
    if (busy)
        window_->setCursor(Qt::WaitCursor);
    else
        window_->unsetCursor();
}

bool PointerRules::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        auto* added = static_cast<QChildEvent*>(event)->child();
        if (added->isWidgetType()) watch(added);
    }
    if ((event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) && window_ &&
        !busy_) {
        if (qobject_cast<QPushButton*>(watched) && hand_)
            window_->setCursor(*hand_);
        else if (!qobject_cast<QPushButton*>(watched))
            window_->unsetCursor();
    }
    return QObject::eventFilter(watched, event);
}

bool SystemClipboard::tryClear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->clear();
    return true;
}

bool SystemClipboard::trySetText(const QString& text, int) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(text);
    return true;
}

void XdgOpener::open(const QString& target) {
    QProcess process;
    process.setProgram(QStringLiteral("xdg-open"));
    process.setArguments({target});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

void QtEventPump::processEvents() {
    QCoreApplication::processEvents();
}

}  // namespace velmora

#include "gui/MessagePrompts.h"

#include <QMessageBox>

#include "common/AppInfo.h"

namespace velmora {

namespace {
QString captionOr(const QString& caption) {
    return caption.isEmpty() ? applicationTitle() : caption;
}
}  // namespace

void MessagePrompts::message(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, captionOr(caption), text, QMessageBox::Ok, owner_);
    box.exec();
}

bool MessagePrompts::askYesNo(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, captionOr(caption), text,
                    QMessageBox::Yes | QMessageBox::No, owner_);
    return box.exec() == QMessageBox::Yes;
}

void MessagePrompts::errorReport(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), text,
                    QMessageBox::Ok, owner_);
    box.exec();
}

}  // namespace velmora

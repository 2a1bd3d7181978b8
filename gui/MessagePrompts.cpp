#include "gui/MessagePrompts.h"

#include <QCheckBox>
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

bool MessagePrompts::errorReportOfferingQuiet(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), text,
                    QMessageBox::Ok, owner_);
    auto* quiet = new QCheckBox(QStringLiteral("Do not show further reports of this run"), &box);
    box.setCheckBox(quiet);
    box.exec();
    return quiet->isChecked();
}

}  // namespace velmora

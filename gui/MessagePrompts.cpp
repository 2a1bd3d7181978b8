#include "gui/MessagePrompts.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>

#include "common/AppInfo.h"
#include "gui/WindowSupport.h"

namespace velmora {

namespace {

QString captionOr(const QString& caption) {
    return caption.isEmpty() ? MessageTitle() : caption;
}

int showBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
            QMessageBox::StandardButtons buttons, QWidget* owner) {
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setFont(WindowFont());
    return box.exec();
}

}  // namespace

QString MessageTitle() {
    return applicationTitle().section(u' ', 0, 0);
}

void MessagePrompts::message(const QString& text, const QString& caption) {
    showBox(QMessageBox::NoIcon, captionOr(caption), text, QMessageBox::Ok, owner_);
}

bool MessagePrompts::askYesNo(const QString& text, const QString& caption) {
    return showBox(QMessageBox::NoIcon, captionOr(caption), text,
                   QMessageBox::Yes | QMessageBox::No, owner_) == QMessageBox::Yes;
}

void MessagePrompts::errorReport(const QString& text) {
    showBox(QMessageBox::Warning, QStringLiteral("Application Error"), text, QMessageBox::Ok,
            owner_);
}

void MessageWithLink(QWidget* owner, const QString& text, const QString& link,
                     DesktopOpener& opener) {
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html += QStringLiteral("<a href=\"%1\" style=\"white-space:nowrap\">%1</a>")
                .arg(link.toHtmlEscaped());
    QMessageBox box(QMessageBox::NoIcon, MessageTitle(), html, QMessageBox::Ok, owner);
    box.setFont(WindowFont());
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        label->setOpenExternalLinks(false);
        QObject::connect(label, &QLabel::linkActivated, &box,
                         [&opener](const QString& target) { opener.open(target); });
    }
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

#include "gui/MessagePrompts.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QUrl>

#include "common/AppInfo.h"
#include "gui/WindowSupport.h"

namespace velmora {

namespace {

QString captionOr(const QString& caption) {
    return caption.isEmpty() ? MessageTitle() : caption;
}

// A window manager draws the title beside its icon and buttons; a box as narrow as
// "Error found." would show a letter of it.
void keepTitleVisible(QMessageBox& box) {
    const int title = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle());
    const int width = std::max(title + 180, 280);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

int showBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
            QMessageBox::StandardButtons buttons, QWidget* owner) {
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setFont(WindowFont());
    keepTitleVisible(box);
    return box.exec();
}

// Plain text as rich text, line breaks kept.
QString richText(const QString& text) {
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"))
        .replace(u'\r', QStringLiteral("<br>"));
    return html;
}

// The text with a link in place of `target`, which is never broken across lines.
QString withLink(QString html, const QString& target, const QString& href) {
    const QString shown = target.toHtmlEscaped();
    html.replace(shown,
                 QStringLiteral("<a href=\"%1\"><span style=\"white-space:pre\">%2</span></a>")
                     .arg(href.toHtmlEscaped(), shown));
    return html;
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

OverwriteAnswer MessagePrompts::askOverwrite(const QString& text) {
    switch (
        showBox(QMessageBox::NoIcon, MessageTitle(), text,
                QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll,
                owner_)) {
        case QMessageBox::Yes:
            return OverwriteAnswer::Yes;
        case QMessageBox::YesToAll:
            return OverwriteAnswer::YesToAll;
        case QMessageBox::NoToAll:
            return OverwriteAnswer::NoToAll;
        default:
            return OverwriteAnswer::No;
    }
}

void MessagePrompts::errorReport(const QString& text) {
    showBox(QMessageBox::Warning, QStringLiteral("Application Error"), text, QMessageBox::Ok,
            owner_);
}

void MessagePrompts::finalMessage(const QString& text, const QString& folder,
                                  const QStringList& files) {
    if (!opener_) {
        message(text);
        return;
    }
    QString html = richText(text);
    for (const QString& file : files)
        html = withLink(html, file, QUrl::fromLocalFile(file).toString());
    QMessageBox box(QMessageBox::NoIcon, MessageTitle(), html, QMessageBox::Ok, owner_);
    box.setFont(WindowFont());
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    keepTitleVisible(box);
    DesktopOpener* opener = opener_;
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        label->setOpenExternalLinks(false);
        QObject::connect(label, &QLabel::linkActivated, &box,
                         [opener](const QString& target) { opener->open(target); });
    }
    QPushButton* openFolder = nullptr;
    if (!folder.isEmpty()) {
        openFolder = box.addButton(QStringLiteral("Open &Folder"), QMessageBox::ActionRole);
        openFolder->setObjectName(QStringLiteral("OpenFolder"));
    }
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (openFolder && box.clickedButton() == openFolder)
        opener->open(QUrl::fromLocalFile(folder).toString());
}

void MessageWithLink(QWidget* owner, const QString& text, const QString& link,
                     DesktopOpener& opener) {
    // The line that ends in the address stays whole at any scale.
    QString html = richText(text);
    const qsizetype lastBreak = html.lastIndexOf(QStringLiteral("<br>"));
    const qsizetype lineStart = lastBreak < 0 ? 0 : lastBreak + 4;
    html = html.left(lineStart) + QStringLiteral("<span style=\"white-space:pre\">") +
           html.mid(lineStart) +
           QStringLiteral("<a href=\"%1\">%1</a></span>").arg(link.toHtmlEscaped());
    QMessageBox box(QMessageBox::NoIcon, MessageTitle(), html, QMessageBox::Ok, owner);
    box.setFont(WindowFont());
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    keepTitleVisible(box);
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
    box.setFont(WindowFont());
    keepTitleVisible(box);
    auto* quiet = new QCheckBox(QStringLiteral("Do not show further reports of this run"), &box);
    box.setCheckBox(quiet);
    box.exec();
    return quiet->isChecked();
}

}  // namespace velmora

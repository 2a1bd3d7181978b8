#pragma once
// Questions, messages and the "Application Error" report as message boxes owned by a
// window, in the windows' font; captions default to the program's name. Every box is wide
// enough for its title beside a window manager's buttons.

#include <QPointer>
#include <QWidget>

#include "common/DesktopOpener.h"
#include "common/Prompts.h"

namespace velmora {

class MessagePrompts final : public Prompts {
  public:
    // `opener` opens the folder and the files a run's last word names; without one the
    // last word is a plain message.
    explicit MessagePrompts(QWidget* owner = nullptr, DesktopOpener* opener = nullptr)
        : owner_(owner), opener_(opener) {}
    void message(const QString& text, const QString& caption = {}) override;
    bool askYesNo(const QString& text, const QString& caption = {}) override;
    void errorReport(const QString& text) override;
    bool errorReportOfferingQuiet(const QString& text) override;
    // Yes, Yes to All, No and No to All.
    OverwriteAnswer askOverwrite(const QString& text) override;
    // The files as links that open them, and "Open Folder" beside OK.
    void finalMessage(const QString& text, const QString& folder,
                      const QStringList& files) override;

  private:
    QPointer<QWidget> owner_;
    DesktopOpener* opener_;
};

// The caption of a message box that names none: the program's name, the first word of
// the application title.
QString MessageTitle();

// A message that ends in a web address, kept on one line and opened by `opener` when
// clicked. Line breaks in `text` are CR LF.
void MessageWithLink(QWidget* owner, const QString& text, const QString& link,
                     DesktopOpener& opener);

}  // namespace velmora

#pragma once
// Questions, messages and the "Application Error" report as message boxes owned by a
// window, in the windows' font; captions default to a title short enough for a small
// box's title bar.

#include <QPointer>
#include <QWidget>

#include "common/DesktopOpener.h"
#include "common/Prompts.h"

namespace velmora {

class MessagePrompts final : public Prompts {
  public:
    explicit MessagePrompts(QWidget* owner = nullptr) : owner_(owner) {}
    void message(const QString& text, const QString& caption = {}) override;
    bool askYesNo(const QString& text, const QString& caption = {}) override;
    void errorReport(const QString& text) override;
    bool errorReportOfferingQuiet(const QString& text) override;

  private:
    QPointer<QWidget> owner_;
};

// The caption of a message box that names none: the first word of the application title.
QString MessageTitle();

// A message that ends in a web address, kept on one line and opened by `opener` when
// clicked. Line breaks in `text` are CR LF.
void MessageWithLink(QWidget* owner, const QString& text, const QString& link,
                     DesktopOpener& opener);

}  // namespace velmora

#pragma once
// Questions, messages and the "Application Error" report as message boxes owned by a
// window; captions default to the application title.

#include <QPointer>
#include <QWidget>

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

}  // namespace velmora

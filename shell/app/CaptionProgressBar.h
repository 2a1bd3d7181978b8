#pragma once
// A progress bar that shows a caption of its own on the bar instead of a percentage.
// The caption is shown as given: table names may hold "%" without being read as
// QProgressBar's placeholders.

#include <QProgressBar>

namespace velmora {

class CaptionProgressBar final : public QProgressBar {
    Q_OBJECT
  public:
    explicit CaptionProgressBar(QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString text() const override { return caption_; }

  private:
    QString caption_;
};

}  // namespace velmora

#pragma once
// A progress bar on a scale of 0 to 100 that keeps fractional values (17.5 is 17.5)
// and shows a caption of its own instead of a percentage.

#include <QProgressBar>
#include <QString>

#include "RunHost.h"

namespace velmora {

class CaptionedProgressBar final : public QProgressBar, public ProgressSink {
    Q_OBJECT
  public:
    explicit CaptionedProgressBar(const QString& caption, QWidget* parent = nullptr);

    void setValue(double percent) override;
    void setCaption(const QString& text) override;
    double exactValue() const { return value_; }
    QString caption() const { return caption_; }
    QString text() const override { return caption_; }

  private:
    static constexpr int kSteps = 1000;  // tenths of a percent on screen
    double value_ = 0;
    QString caption_;
};

}  // namespace velmora

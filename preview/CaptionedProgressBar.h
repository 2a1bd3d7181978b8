#pragma once
// A progress bar on a scale of 0 to 100 that keeps fractional values (17.5 is 17.5)
// and shows a caption of its own instead of a percentage.

#include <QProgressBar>
#include <QString>

#include "engine/RunHost.h"

namespace velmora {

class CaptionedProgressBar final : public QProgressBar, public ProgressSink {
    Q_OBJECT
  public:
    explicit CaptionedProgressBar(const QString& caption, QWidget* parent = nullptr);

    void setValue(double percent) override;
    void setCaption(const QString& text) override;
    void setRowCaption(int line, int count) override;
    void setTableProgress(const TableProgress& progress) override;
    double exactValue() const { return value_; }
    QString text() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    static constexpr int kSteps = 1000;  // tenths of a percent on screen
    double value_ = 0;
    QString caption_;
    // Execute SQL and the run set a caption per line or row; the text is built only when
    // it is shown.
    enum class Shown { Caption, Line, Table } shown_ = Shown::Caption;
    int rowLine_ = 0;
    int rowCount_ = 0;
    TableProgress table_;
    bool repaintAsked_ = false;  // one repaint for many captions
    void askRepaint();
};

}  // namespace velmora

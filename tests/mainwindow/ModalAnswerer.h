#pragma once
// Answers whatever modal window a command opens: a timer polls for the active modal
// widget, records what it shows and closes it with the next scripted answer, or with
// OK / No / Cancel when the script is empty.

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace velmora::test {

struct SeenModal {
    QString title;
    QString text;  // a message box's text; a file dialog's directory
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList nameFilters;  // file dialogs only
    QString lookInLabel;      // file dialogs only
};

class ModalAnswerer final : public QObject {
    Q_OBJECT
  public:
    using Answer = std::function<void(QWidget* modal)>;
    ModalAnswerer();

    void then(Answer answer) { script_.push_back(std::move(answer)); }
    void thenClick(QMessageBox::StandardButton button);
    void thenChoose(const QString& path);  // a file dialog accepts `path`
    void thenCancel();

    QList<SeenModal> seen;
    QStringList texts() const;

  private:
    void poll();
    QTimer timer_;
    std::deque<Answer> script_;
};

}  // namespace velmora::test

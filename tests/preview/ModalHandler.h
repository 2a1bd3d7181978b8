#pragma once
// Answers the modal windows that the code under test opens: every message box is
// recorded and closed with its first button; any other modal window is handed to the
// next scripted action. Polls QApplication::activeModalWidget() on a timer; actions run
// from the event loop, never inside the poll, so they may open further modal windows.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

namespace velmora::test {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
};

class ModalHandler {
  public:
    using Action = std::function<void(QWidget*)>;

    ModalHandler() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    // Run `action` on the next modal window that is not a message box.
    void then(Action action) { actions_.push_back(std::move(action)); }
    // Run `action` on the very next modal window, before those already scripted.
    void first(Action action) { actions_.push_front(std::move(action)); }
    void clearActions() { actions_.clear(); }

    std::vector<SeenBox> boxes;
    int pendingActions() const { return static_cast<int>(actions_.size()); }
    QStringList texts() const {
        QStringList list;
        for (const SeenBox& box : boxes) list << box.text;
        return list;
    }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        // A window comes back to the top when a dialog it opened closes; it was served.
        if (!modal || std::find(handled_.begin(), handled_.end(), modal) != handled_.end()) return;
        std::erase_if(handled_, [](const QPointer<QWidget>& w) { return w.isNull(); });
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            handled_.push_back(box);
            boxes.push_back({box->windowTitle(), box->text(), box->icon()});
            QTimer::singleShot(0, box, [box] { box->buttons().first()->click(); });
            return;
        }
        if (actions_.empty()) return;
        handled_.push_back(modal);
        Action action = std::move(actions_.front());
        actions_.pop_front();
        QPointer<QWidget> target = modal;
        QTimer::singleShot(0, modal, [action, target] {
            if (target) action(target);
        });
    }

    QTimer timer_;
    std::vector<QPointer<QWidget>> handled_;
    std::deque<Action> actions_;
};

}  // namespace velmora::test

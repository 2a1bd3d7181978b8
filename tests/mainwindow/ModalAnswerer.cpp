#include "tests/mainwindow/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace velmora::test {

ModalAnswerer::ModalAnswerer() {
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer_.start(10);
}

void ModalAnswerer::thenClick(QMessageBox::StandardButton button) {
    then([button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->button(button))
            box->button(button)->click();
        else
            modal->close();
    });
}

void ModalAnswerer::thenChoose(const QString& path) {
    then([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) return modal->close(), void();
        // selectFile() leaves the name box alone while it has the focus, which it may or
        // may not have yet on a busy machine; typing into it is what a user does.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
    });
}

void ModalAnswerer::thenCancel() {
    then([](QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
}

QStringList ModalAnswerer::texts() const {
    QStringList out;
    for (const SeenModal& m : seen) out << m.text;
    return out;
}

void ModalAnswerer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("answered").toBool()) return;
    modal->setProperty("answered", true);
    SeenModal record;
    record.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        record.text = box->text();
        record.icon = box->icon();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        record.text = dialog->directory().absolutePath();
        record.nameFilters = dialog->nameFilters();
        record.lookInLabel = dialog->labelText(QFileDialog::LookIn);
    }
    seen << record;
    if (!script_.empty()) {
        Answer answer = std::move(script_.front());
        script_.pop_front();
        answer(modal);
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button) button = box->button(QMessageBox::No);
        if (button) return button->click();
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) return dialog->reject();
    modal->close();
}

}  // namespace velmora::test

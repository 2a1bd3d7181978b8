// A Qt generic plugin for tests that start the real program as a separate process:
// loaded through QT_QPA_GENERIC_PLUGINS, it writes every message box the program
// shows to standard error and answers it (VELMORA_TEST_ANSWER: Yes, else No or OK),
// and reports when the main window is shown (closing it when VELMORA_TEST_CLOSE_SHOWN
// is set), so the program itself needs no test hook.

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

QByteArray escaped(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
    return text.toUtf8();
}

class ModalCloser final : public QObject {
  public:
    ModalCloser() {
        connect(&timer_, &QTimer::timeout, this, &ModalCloser::poll);
        timer_.start(20);
        QCoreApplication::instance()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Form1")) {
            std::fprintf(stderr, "SHOWN\tForm1\n");
            std::fflush(stderr);
            if (qEnvironmentVariableIsSet("VELMORA_TEST_CLOSE_SHOWN"))
                QTimer::singleShot(0, static_cast<QWidget*>(watched), &QWidget::close);
        }
        return false;
    }

  private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->property("answered").toBool()) return;
        box->setProperty("answered", true);
        std::fprintf(stderr, "MODAL\t%s\t%s\n", escaped(box->windowTitle()).constData(),
                     escaped(box->text()).constData());
        std::fflush(stderr);
        const bool yes = qgetenv("VELMORA_TEST_ANSWER") == "Yes";
        for (auto button : {yes ? QMessageBox::Yes : QMessageBox::No, QMessageBox::Ok})
            if (QAbstractButton* b = box->button(button)) return b->click();
        box->close();
    }
    QTimer timer_;
};

class ModalCloserPlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "modalcloser.json")
  public:
    QObject* create(const QString& key, const QString&) override {
        return key == QLatin1String("velmoramodalcloser") ? new ModalCloser : nullptr;
    }
};

}  // namespace

#include "ModalCloserPlugin.moc"

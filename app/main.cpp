// velmora: the windowed program. It takes no command-line options of its own.

#include <QApplication>
#include <QIcon>

#include "app/MainWindow.h"
#include "common/Helpers.h"
#include "gui/WindowSupport.h"
#include "preview/PreviewWindowHost.h"

using namespace velmora;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    // Dialogs that Qt builds (file and folder dialogs) in the windows' font too.
    QApplication::setFont(WindowFont());
    QApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("velmora"), QIcon(ProgramFolder() + QStringLiteral("/velmora.png"))));

    XdgOpener opener;
    MainWindow window({[](QWidget* owner) { return std::make_unique<WindowPreviewHost>(owner); },
                       opener, ProgramFolder()});
    if (!window.load()) return 0;
    window.show();
    return app.exec();
}

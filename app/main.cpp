// velmora: the windowed program. Its only options of its own are --help and --version,
// answered before the toolkit starts (they need no display); Qt's options are Qt's.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "app/MainWindow.h"
#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "drivers/BuiltInDrivers.h"
#include "gui/WindowSupport.h"
#include "preview/PreviewWindowHost.h"

using namespace velmora;

namespace {

constexpr const char* kHelp =
    "Usage: velmora [OPTION]\n"
    "Opens the windows of Velmora, which copies the tables of an Access database\n"
    "(.mdb, .accdb) into Paradox tables (.db files) in a folder.\n"
    "\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "\n"
    "Without windows: velmora-convert. The windows, the SQL Preview and the settings:\n"
    "man velmora\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) {
            std::printf("velmora %s\n", programVersion().toUtf8().constData());
            return 0;
        }
    }
    velmora::RegisterBuiltInDrivers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationVersion(programVersion());
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

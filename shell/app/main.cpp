// velmora: the windowed program. It takes no command-line options of its own.

#include <QApplication>
#include <QIcon>

#include "AppInfo.h"
#include "Form1.h"
#include "Helpers.h"

using namespace velmora;

namespace {

// Stands in for the SQL Preview window until it is part of the program: a preview
// ends as if the window had been closed without executing anything.
class PreviewNotBuilt final : public PreviewHost {
  public:
    explicit PreviewNotBuilt(QWidget* owner) : prompts_(owner) {}
    void showPreview(RunState& state) override {
        prompts_.message(QStringLiteral("The SQL Preview window is not built yet."));
        state.SQLFormOK = false;
        state.StopAfterPreview = true;
    }

  private:
    MessagePrompts prompts_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("velmora"), QIcon(ProgramFolder() + QStringLiteral("/velmora.png"))));

    XdgOpener opener;
    Form1 window({[](QWidget* owner) { return std::make_unique<PreviewNotBuilt>(owner); }, opener,
                  ProgramFolder()});
    if (!window.load()) return 0;
    window.show();
    return app.exec();
}

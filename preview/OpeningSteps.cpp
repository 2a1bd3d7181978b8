#include "preview/OpeningSteps.h"

#include <QApplication>
#include <stdexcept>

#include "common/AppInfo.h"
#include "common/Helpers.h"

namespace velmora {

namespace {
// The steps after the colour reset, numbered alike in every window.
namespace step {
constexpr int kIcon = 104;
constexpr int kCaption = 106;
constexpr int kHandCursorThere = 108;
constexpr int kHandCursor = 110;
}  // namespace step
}  // namespace

void MakeFixedWindow(QDialog& window, QSize clientSize) {
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(clientSize);
    window.setSizeGripEnabled(false);
}

void MakeSizableWindow(QDialog& window, QSize clientSize) {
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint);
    window.setSizeGripEnabled(true);
    window.resize(clientSize.expandedTo(window.minimumSizeHint()));
}

void RunOpeningSteps(QWidget& window, Procedure& proc, PointerRules& pointer, const QString& name,
                     int colorsStep) {
    proc.step(colorsStep, [&] { ResetFormColors(&window); });
    proc.step(step::kIcon, [&] { window.setWindowIcon(QApplication::windowIcon()); });
    proc.step(step::kCaption,
              [&] { window.setWindowTitle(name + QStringLiteral(" - ") + kProductTitle); });
    const QString cursorPath = HandCursorPath();
    if (proc.test(step::kHandCursorThere, [&] { return FileExists(cursorPath); })) {
        proc.step(step::kHandCursor, [&] {
            const auto cursor = LoadCursorFile(cursorPath);
            if (!cursor) throw std::runtime_error("Invalid picture");
            pointer.setHandCursor(*cursor);
        });
    }
}

}  // namespace velmora

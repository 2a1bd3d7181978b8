#include "preview/OpeningSteps.h"

#include <QApplication>
#include <stdexcept>

#include "common/AppInfo.h"
#include "common/Helpers.h"

namespace velmora {

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
    proc.step(104, [&] { window.setWindowIcon(QApplication::windowIcon()); });
    proc.step(106, [&] { window.setWindowTitle(name + QStringLiteral(" - ") + kProductTitle); });
    const QString cursorPath = HandCursorPath();
    if (proc.test(108, [&] { return FileExists(cursorPath); })) {
        proc.step(110, [&] {
            const auto cursor = LoadCursorFile(cursorPath);
            if (!cursor) throw std::runtime_error("Invalid picture");
            pointer.setHandCursor(*cursor);
        });
    }
}

}  // namespace velmora

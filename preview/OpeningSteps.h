#pragma once
// What every secondary window does when it loads: the button-face colours, the
// application icon, its caption ("<name> - " and the product title) and the hand
// cursor when HAND-M.CUR is there. Failing steps are reported under the window's
// load place (its Form_Load).

#include <QDialog>
#include <QSize>
#include <QString>

#include "common/ErrorReport.h"
#include "gui/WindowSupport.h"

namespace velmora {

// A fixed single border: no resizing or maximising, but a minimise button and a close box.
void MakeFixedWindow(QDialog& window, QSize clientSize);
// Opens at `clientSize` and can be resized and maximised; it does not shrink below its
// layout's minimum.
void MakeSizableWindow(QDialog& window, QSize clientSize);

// `colorsStep` is the step number of the colour reset (100 or 102, as the window numbers it);
// the icon, caption and cursor are steps 104 to 110 in every window.
void RunOpeningSteps(QWidget& window, Procedure& proc, PointerRules& pointer, const QString& name,
                     int colorsStep);

}  // namespace velmora

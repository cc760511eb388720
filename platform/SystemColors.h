#pragma once

#include <QColor>

namespace zlt::platform {

// The classic system colours the windows are designed in, taken from the application's
// palette where it has a counterpart.
QColor windowColor();     // grid cells
QColor infoBackground();  // tooltips; the highlighted sort column
QColor buttonShadow();
QColor activeBorder();
QColor silver();

}  // namespace zlt::platform

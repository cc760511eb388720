#pragma once

#include <QFont>
#include <QPaintDevice>

#include "reports/model/Report.h"

namespace zlt::reports {

// The font a text element prints in. Arial is drawn with Liberation Sans, which has its
// metrics.
QFont printFont(const FontSpec& spec);

// A fixed high-resolution device on which text is measured, so that widths do not depend
// on the screen the program runs on.
const QPaintDevice& measuringDevice();

}  // namespace zlt::reports

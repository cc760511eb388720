#pragma once

#include <QApplication>

#include "tests/support/GuiApplication.h"

namespace zlt::test {

// For tests of windows.
inline void ensureApplication() { ensureApplicationOf<QApplication>(); }

}  // namespace zlt::test

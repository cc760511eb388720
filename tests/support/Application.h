#pragma once

#include <QApplication>
#include <cstdlib>

namespace zlt::test {

// The QApplication of a test process, on the offscreen platform unless the environment
// names another. Made once and never destroyed, since Qt's own statics outlive main().
inline void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "zlt-tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

}  // namespace zlt::test

#pragma once

#include <QGuiApplication>
#include <cstdlib>

namespace zlt::test {

// The QGuiApplication of a test process whose code draws pages but shows no window, as
// zlt-event does: on the offscreen platform unless the environment names another. Made
// once and never destroyed, since Qt's own statics outlive main().
inline void ensureGuiApplication() {
    if (QGuiApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "zlt-gui-tests";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
}

}  // namespace zlt::test

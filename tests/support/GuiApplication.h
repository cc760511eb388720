#pragma once

#include <QGuiApplication>
#include <cstdlib>

namespace zlt::test {

// The application of a test process, on the offscreen platform unless the environment
// names another. Made once and never destroyed, since Qt's own statics outlive main().
template <class Application>
void ensureApplicationOf() {
    if (QCoreApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "zlt-tests";
        static char* argv[] = {name, nullptr};
        new Application(argc, argv);
    }
}

// For code that draws pages but shows no window, as zlt-event does.
inline void ensureGuiApplication() { ensureApplicationOf<QGuiApplication>(); }

}  // namespace zlt::test

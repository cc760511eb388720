#pragma once

#include <QCoreApplication>

namespace zlt::test {

// The QCoreApplication of a test process without windows: the competition core's timers
// and queued calls need one. Made once and never destroyed, since Qt's own statics outlive
// main().
inline void ensureCoreApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "zlt-core-tests";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

}  // namespace zlt::test

#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "database/Statement.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::bench {

// The program's own windows over a new event folder, which is the working directory while
// they live.
class EventProgram {
public:
    EventProgram() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder.path());
        app::createWindows();
    }
    ~EventProgram() {
        app::destroyWindows();
        std::filesystem::current_path(previous_);
    }
    EventProgram(const EventProgram&) = delete;
    EventProgram& operator=(const EventProgram&) = delete;

    // Runs a statement on the event's database; the rows are read again by the caller.
    static void run(const std::string& sql) {
        db::Statement("fill", frmHlavni->IB_Connection1, sql).execute();
    }

    test::TempEventFolder folder;

private:
    std::filesystem::path previous_;
};

// The one program of a benchmark run, made on first use; reset() ends it before main
// returns, while the client library is still there.
template <typename Program>
std::unique_ptr<Program>& programSlot() {
    static std::unique_ptr<Program> made;
    return made;
}

template <typename Program>
Program& program() {
    if (!programSlot<Program>())
        programSlot<Program>() = std::make_unique<Program>();
    return *programSlot<Program>();
}

}  // namespace zlt::bench

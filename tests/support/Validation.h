#pragma once

#include <filesystem>
#include <string>

namespace zlt::test {

// What the engine's own check of every page and record (gfix -v -full) says of the
// database file: its exit status and everything it printed.
struct Validation {
    int status = -1;
    std::string output;
    // No error of any kind. A warning is allowed: a page copied in the middle of a write,
    // or a program killed there, can leave an orphan back version of a record, which
    // holds no data and whose space the engine takes back.
    bool sound() const;
};

// The check runs with the lock folder the program's engine uses, so that it sees the
// same locks.
Validation validate(const std::filesystem::path& database);

}  // namespace zlt::test

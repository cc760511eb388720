#pragma once

#include <filesystem>
#include <string>

namespace zlt::test {

// What the engine's own check of every page and record (gfix -v -full) says of the
// database file: its exit status and everything it printed.
struct Validation {
    int status = -1;
    std::string output;
    bool sound() const { return status == 0 && output.empty(); }
};

// The check runs with the lock folder the program's engine uses, so that it sees the
// same locks.
Validation validate(const std::filesystem::path& database);

}  // namespace zlt::test

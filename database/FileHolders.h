#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zlt::db {

// A process of this machine that has a file open.
struct FileHolder {
    int process = 0;
    std::string program;
    int parent = 0;
};

// The other processes of this machine that have the file open, as far as this user may see
// them: the engine only says that the file is held, and the operator needs to know by what.
std::vector<FileHolder> holdersOf(const std::filesystem::path& file);

// The name of the user who owns the file (the one who may change its permissions), or the
// user's number when it has no name; empty when the file cannot be read.
std::string ownerOf(const std::filesystem::path& file);

}  // namespace zlt::db

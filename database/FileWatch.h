#pragma once

#include <sys/types.h>

#include <filesystem>

namespace zlt::db {

// Keeps the database file open beside the engine, so that the program notices when the
// file is deleted or moved while in use (the engine goes on writing into a file nobody
// will find again) and can still copy what it holds.
class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    void watch(const std::filesystem::path& file);
    void stop();
    // The file has no name left, or its path now names another file (or none).
    bool lost() const;
    // Copies the file as it is now, also after it was deleted; refuses to replace a file.
    void copyTo(const std::filesystem::path& target) const;

private:
    std::filesystem::path file_;
    int descriptor_ = -1;
};

}  // namespace zlt::db

#pragma once

#include <filesystem>

namespace zlt::test {

// An empty temporary folder, removed when the test is done.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A new event folder in a temporary place (its name has Czech letters and a space), made by the
// new-event tool's own code and removed again when the test is done.
class TempEventFolder {
public:
    TempEventFolder();
    ~TempEventFolder();
    TempEventFolder(const TempEventFolder&) = delete;
    TempEventFolder& operator=(const TempEventFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path database() const;

private:
    TempFolder root_;
    std::filesystem::path path_;
};

// The working directory for as long as it lives, then the one before.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& path)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace zlt::test

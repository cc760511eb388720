#include "database/FileHolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace zlt::db {
namespace fs = std::filesystem;

namespace {

// The file as the process's descriptors name it: its canonical path.
bool holds(const fs::path& process, const fs::path& canonicalFile) {
    std::error_code failed;
    for (fs::directory_iterator entry(process / "fd", failed), end; !failed && entry != end;
         entry.increment(failed)) {
        std::error_code unreadable;
        if (fs::read_symlink(entry->path(), unreadable) == canonicalFile && !unreadable) {
            return true;
        }
    }
    return false;
}

// The parent's number, from /proc/N/stat: "N (name) state parent …"; the name may hold
// spaces and parentheses, so it is read after the last ')'.
int parentOf(const fs::path& process) {
    std::string stat;
    std::getline(std::ifstream(process / "stat"), stat);
    std::istringstream rest(stat.substr(stat.rfind(')') + 1));
    std::string state;
    int parent = 0;
    rest >> state >> parent;
    return parent;
}

std::string programOf(const fs::path& process) {
    std::string name;
    std::getline(std::ifstream(process / "comm"), name);
    return name;
}

}  // namespace

std::vector<FileHolder> holdersOf(const fs::path& file) {
    std::vector<FileHolder> holders;
    std::error_code failed;
    const fs::path canonicalFile = fs::canonical(file, failed);
    if (failed) {
        return holders;
    }
    const std::string self = std::to_string(getpid());
    for (fs::directory_iterator entry("/proc", failed), end; !failed && entry != end;
         entry.increment(failed)) {
        const std::string name = entry->path().filename().string();
        if (name == self || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        if (holds(entry->path(), canonicalFile)) {
            holders.push_back({std::stoi(name), programOf(entry->path()), parentOf(entry->path())});
        }
    }
    // A child that only inherited the descriptor (a helper process the holder started) is
    // part of the program that holds the file.
    // The numbers are taken first: erasing moves the entries a search over them would read.
    std::set<int> processes;
    for (const FileHolder& holder : holders) {
        processes.insert(holder.process);
    }
    std::erase_if(holders, [&processes](const FileHolder& holder) {
        return processes.contains(holder.parent);
    });
    return holders;
}

std::string ownerOf(const fs::path& file) {
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        return {};
    }
    if (const passwd* user = getpwuid(info.st_uid)) {
        return user->pw_name;
    }
    return std::to_string(info.st_uid);
}

}  // namespace zlt::db

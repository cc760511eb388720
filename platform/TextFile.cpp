#include "platform/TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/Win1250.h"

namespace zlt::platform {
namespace {

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += toWin1250(line);
        bytes += "\r\n";
    }
    const std::runtime_error failure("Cannot create file " + file.filename().string());
    std::filesystem::path temporary = file;
    temporary += ".tmp-XXXXXX";
    std::string pattern = temporary.string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw failure;
    }
    // mkstemp makes the file private; give it the old file's mode, or the usual one.
    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written = writeAll(fd, bytes) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(pattern.c_str(), file.c_str()) != 0) {
        std::remove(pattern.c_str());
        throw failure;
    }
}

}  // namespace zlt::platform

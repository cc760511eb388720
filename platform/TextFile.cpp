#include "platform/TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
        if (line.find_first_of("\r\n") != std::string::npos) {
            throw std::invalid_argument("A line of " + file.filename().string() +
                                        " cannot hold a line break");
        }
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

std::vector<std::string> splitWin1250Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(fromWin1250(bytes.substr(start, end - start)));
        start = end + 1;
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::vector<std::string> readWin1250Lines(const std::filesystem::path& file) {
    const std::runtime_error failure("Cannot open file " + file.string());
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) {
        throw failure;
    }
    std::string bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        bytes.append(chunk, got);
    }
    // A folder opens but cannot be read; that counts as unreadable, not as empty.
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        throw failure;
    }
    return splitWin1250Lines(bytes);
}

}  // namespace zlt::platform

#include "text/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "text/Win1250.h"

namespace zlt::text {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string win1250Bytes(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos) {
            throw std::invalid_argument("A line of " + file.filename().string() +
                                        " cannot hold a line break");
        }
        bytes += toWin1250(line);
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace

FileWriteError::FileWriteError(const std::filesystem::path& file, int error)
    : std::runtime_error("Cannot create file " + file.filename().string()), error_(error) {}

PendingFile::PendingFile(const std::filesystem::path& file, std::string_view bytes, Flush flush)
    : file_(file), flush_(flush) {
    // A folder of that name could only be found out at the rename, after the caller has
    // acted on the content.
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        throw FileWriteError(file, EISDIR);
    }
    std::string pattern = file.string() + ".tmp-XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        throw FileWriteError(file, errno);
    }
    temporary_ = pattern;
    // mkstemp makes the file private; give it the old file's mode, or the usual one.
    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written = writeAll(fd, bytes) && fchmod(fd, mode) == 0 &&
                         (flush == Flush::WithBatch || fsync(fd) == 0);
    const int writeError = errno;
    if (written && flush == Flush::WithBatch) {
        fd_ = fd;
        return;
    }
    const bool closed = ::close(fd) == 0;
    // A constructor that throws runs no destructor, so the temporary file goes here.
    if (!written || !closed) {
        const int error = written ? errno : writeError;
        std::remove(temporary_.c_str());
        throw FileWriteError(file, error);
    }
}

PendingFile::~PendingFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
    }
}

void PendingFile::flush() {
    if (fd_ < 0) {
        return;
    }
    const bool synced = fsync(fd_) == 0;
    const int error = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        throw FileWriteError(file_, synced ? errno : error);
    }
}

void PendingFile::replaceOld() {
    flush();
    if (std::rename(temporary_.c_str(), file_.c_str()) != 0) {
        throw FileWriteError(file_, errno);
    }
    temporary_.clear();
    if (flush_ == Flush::Now) {
        try {
            syncFolder(file_.parent_path());
        } catch (const FileWriteError& error) {
            throw FileWriteError(file_, error.error());
        }
    }
}

void replaceFile(const std::filesystem::path& file, std::string_view bytes) {
    PendingFile(file, bytes).replaceOld();
}

namespace {

void syncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!synced) {
        throw FileWriteError(path, error);
    }
}

}  // namespace

void syncFolder(const std::filesystem::path& folder) {
    // A file named without a folder is in the working one.
    syncPath(folder.empty() ? std::filesystem::path(".") : folder, O_DIRECTORY);
}

void syncFile(const std::filesystem::path& file) {
    syncPath(file, 0);
}

PendingTextFile::PendingTextFile(const std::filesystem::path& file,
                                 const std::vector<std::string>& lines)
    : file_(file, win1250Bytes(file, lines)) {}

void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    PendingTextFile(file, lines).replaceOld();
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

}  // namespace zlt::text

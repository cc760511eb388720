#include "database/FileWatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "database/DatabaseError.h"

namespace zlt::db {

FileWatch::~FileWatch() {
    stop();
}

void FileWatch::watch(const std::filesystem::path& file) {
    stop();
    file_ = file;
    descriptor_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
}

void FileWatch::stop() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

bool FileWatch::lost() const {
    struct stat open {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &open) != 0) {
        return false;
    }
    struct stat named {};
    return open.st_nlink == 0 || ::stat(file_.c_str(), &named) != 0 ||
           named.st_ino != open.st_ino || named.st_dev != open.st_dev;
}

void FileWatch::copyTo(const std::filesystem::path& target) const {
    const DatabaseError failure("Soubor " + target.string() + " nelze vytvořit.");
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        throw failure;
    }
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    bool done = false;
    while (!done) {
        const ssize_t got = ::pread(descriptor_, buffer.data(), buffer.size(), offset);
        done = got <= 0;
        for (ssize_t written = 0; got > 0 && written < got;) {
            const ssize_t now = ::write(out, buffer.data() + written, got - written);
            if (now < 0) {
                ::close(out);
                ::unlink(target.c_str());
                throw failure;
            }
            written += now;
        }
        offset += std::max<ssize_t>(got, 0);
        if (got < 0) {
            ::close(out);
            ::unlink(target.c_str());
            throw failure;
        }
    }
    if (::fsync(out) != 0 || ::close(out) != 0) {
        ::unlink(target.c_str());
        throw failure;
    }
}

}  // namespace zlt::db

#include "database/FileWatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/DatabaseError.h"
#include "text/TextFile.h"

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
    // Written whole under a name of its own first, so that a power cut never leaves a part
    // of the database under the name the operator was told of.
    std::string partial = target.string() + ".tmp-XXXXXX";
    const int out = ::mkostemp(partial.data(), O_CLOEXEC);
    if (out < 0) {
        throw failure;
    }
    const auto fail = [&] {
        ::close(out);
        ::unlink(partial.c_str());
        throw failure;
    };
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    bool done = false;
    while (!done) {
        const ssize_t got = ::pread(descriptor_, buffer.data(), buffer.size(), offset);
        done = got <= 0;
        for (ssize_t written = 0; got > 0 && written < got;) {
            const ssize_t now = ::write(out, buffer.data() + written, got - written);
            if (now < 0) {
                fail();
            }
            written += now;
        }
        offset += std::max<ssize_t>(got, 0);
        if (got < 0) {
            fail();
        }
    }
    if (::fchmod(out, 0644) != 0 || ::fsync(out) != 0) {
        fail();
    }
    ::close(out);
    // Never over a file that is there: that may be another event's database.
    // A file system without that check (some network shares) is checked by hand.
    bool renamed =
        ::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    if (!renamed && errno == EINVAL && ::access(target.c_str(), F_OK) != 0) {
        renamed = ::rename(partial.c_str(), target.c_str()) == 0;
    }
    if (!renamed) {
        ::unlink(partial.c_str());
        throw failure;
    }
    try {
        text::syncFolder(target.parent_path());
    } catch (const text::FileWriteError&) {
        throw DatabaseError("Soubor " + target.string() +
                            " je zapsaný, ale složku nelze uložit na disk; při výpadku "
                            "proudu se může ztratit.");
    }
}

}  // namespace zlt::db

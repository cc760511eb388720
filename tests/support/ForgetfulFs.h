#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace zlt::test {

// A mount of forgetful-fs over a backing folder: the program under test works in path(), and
// a power cut leaves in the backing folder only what was synced (ForgetfulFs.md). The
// file system runs as a process of its own, so the test process may be the one that writes.
class ForgetfulMount {
public:
    // Whether the machine can mount it (/dev/fuse, fusermount3, the program built); a test
    // that cannot should GTEST_SKIP with the reason.
    static bool available(std::string* why = nullptr);
    // Mounts the forgetful file system over `backing` at a fresh temporary mount point.
    explicit ForgetfulMount(const std::filesystem::path& backing);
    ~ForgetfulMount();  // unmounts if still mounted
    ForgetfulMount(const ForgetfulMount&) = delete;
    ForgetfulMount& operator=(const ForgetfulMount&) = delete;

    const std::filesystem::path& path() const;  // the mount point, where the program works
    long operations() const;                    // mutating operations so far
    void cutAfter(long operations);  // the cut comes after that many more mutating operations
    void cutNow();
    bool isCut() const;
    // After the program was killed: unmounts; the backing folder then holds exactly what a
    // disk would hold after the power went (everything durable, nothing else). Unmounting
    // without a cut before is a cut.
    void unmount();

    // Each mutating operation and open's flags on the file system's standard error.
    void trace();

private:
    std::string ask(const std::string& command) const;

    std::filesystem::path backing_;
    std::filesystem::path mountPoint_;
    pid_t process_ = -1;
    int control_ = -1;  // the file system's standard input and output
    bool mounted_ = false;
};

}  // namespace zlt::test

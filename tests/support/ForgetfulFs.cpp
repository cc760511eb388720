#include "tests/support/ForgetfulFs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#ifndef ZLT_FORGETFUL_FS
#define ZLT_FORGETFUL_FS ""
#endif

extern char** environ;

namespace zlt::test {

namespace {

namespace fs = std::filesystem;

// Starts a program with its standard input and output on the given descriptors (or the
// test's own when -1), and nothing else of the test's open: a database file left open in
// the file system's process would keep the mount busy.
pid_t spawn(const std::vector<std::string>& command, int input = -1, int output = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0) {
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    }
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? child : -1;
}

// The child's exit status, or -1 when it did not end in time (then it is killed).
int waitFor(pid_t child, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run(const std::vector<std::string>& command) {
    const pid_t child = spawn(command);
    return child < 0 ? -1 : waitFor(child, std::chrono::seconds(30));
}

// One line from the file system's answers, waiting at most `limit`.
std::string readLine(int fd, std::chrono::seconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            throw std::runtime_error("forgetful-fs did not answer");
        }
        char c = 0;
        if (read(fd, &c, 1) != 1) {
            throw std::runtime_error("forgetful-fs ended");
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
}

bool onPath(const std::string& program) {
    const char* path = getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        if (access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string whyNot() {
    const std::string program = ZLT_FORGETFUL_FS;
    if (program.empty()) {
        return "forgetful-fs was not built (libfuse3 not found by pkg-config)";
    }
    if (access(program.c_str(), X_OK) != 0) {
        return "forgetful-fs is not built: " + program;
    }
    const int device = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (device < 0) {
        return "/dev/fuse cannot be opened";
    }
    close(device);
    if (!onPath("fusermount3")) {
        return "fusermount3 is not installed (Debian package fuse3)";
    }
    // A container may have all of that and still refuse the mount itself.
    char pattern[] = "/tmp/zlt-forgetful-probe-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return "no temporary folder";
    }
    std::string why;
    try {
        ForgetfulMount probe(pattern);
        probe.unmount();
    } catch (const std::exception& error) {
        why = std::string("the forgetful file system cannot be mounted: ") + error.what();
    }
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    return why;
}

}  // namespace

bool ForgetfulMount::available(std::string* why) {
    static const std::string reason = whyNot();
    if (why != nullptr) {
        *why = reason;
    }
    return reason.empty();
}

ForgetfulMount::ForgetfulMount(const fs::path& backing) : backing_(fs::absolute(backing)) {
    std::string pattern = (fs::temp_directory_path() / "zlt-forgetful-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a mount point");
    }
    mountPoint_ = pattern;
    // A socket rather than pipes: a write to a file system that died fails instead of
    // killing the test with SIGPIPE.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        throw std::runtime_error("no socket pair");
    }
    process_ = spawn({ZLT_FORGETFUL_FS, backing_.string(), mountPoint_.string()}, ends[1], ends[1]);
    close(ends[1]);
    control_ = ends[0];
    std::string ready;
    try {
        if (process_ < 0) {
            throw std::runtime_error("cannot start " + std::string(ZLT_FORGETFUL_FS));
        }
        ready = readLine(control_, std::chrono::seconds(30));
    } catch (const std::exception& error) {
        unmount();
        throw std::runtime_error(std::string("mount failed: ") + error.what());
    }
    mounted_ = ready == "ready";
    if (!mounted_) {
        unmount();
        throw std::runtime_error("mount failed: " + ready);
    }
}

ForgetfulMount::~ForgetfulMount() {
    try {
        unmount();
    } catch (...) {
        // A destructor has no one to tell; the mount went with the file system's process.
    }
}

const fs::path& ForgetfulMount::path() const {
    return mountPoint_;
}

std::string ForgetfulMount::ask(const std::string& command) const {
    const std::string line = command + "\n";
    if (control_ < 0 || send(control_, line.data(), line.size(), MSG_NOSIGNAL) !=
                            static_cast<ssize_t>(line.size())) {
        throw std::runtime_error("forgetful-fs is not running");
    }
    return readLine(control_, std::chrono::seconds(60));
}

long ForgetfulMount::operations() const {
    return std::stol(ask("count"));
}

void ForgetfulMount::cutAfter(long operations) {
    ask("cut " + std::to_string(operations));
}

void ForgetfulMount::cutNow() {
    ask("cut");
}

bool ForgetfulMount::isCut() const {
    return ask("state") == "cut";
}

void ForgetfulMount::trace() {
    ask("trace");
}

void ForgetfulMount::unmount() {
    if (mounted_) {
        mounted_ = false;
        // The cut rewrites the backing folder before the mount goes, so a mount that stays
        // busy (a file still open in the test) loses nothing by the lazy unmount after it.
        cutNow();
        if (run({"fusermount3", "-u", "-q", mountPoint_.string()}) != 0) {
            run({"fusermount3", "-u", "-z", "-q", mountPoint_.string()});
        }
    }
    if (control_ >= 0) {
        shutdown(control_, SHUT_WR);  // the end of its input ends the file system's process
    }
    if (process_ > 0) {
        waitFor(process_, std::chrono::seconds(30));
        process_ = -1;
    }
    if (control_ >= 0) {
        close(control_);
        control_ = -1;
    }
    if (!mountPoint_.empty()) {
        std::error_code ignored;
        fs::remove(mountPoint_, ignored);
    }
}

}  // namespace zlt::test

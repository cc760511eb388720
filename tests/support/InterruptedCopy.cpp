#include "tests/support/InterruptedCopy.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

#include "competition/Backups.h"
#include "competition/EventFiles.h"
#include "database/FbClient.h"
#include "database/Services.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"

extern char** environ;

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(60);
constexpr int kAttempts = 5;

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A child process with its standard input from `input` (or /dev/null when it is -1) and
// its output into `transcript`.
pid_t spawn(const std::vector<std::string>& arguments, int input, const fs::path& transcript,
            const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment(extraEnvironment);
    for (char** line = environ; *line != nullptr; ++line) {
        environment.emplace_back(*line);
    }
    std::vector<char*> envp;
    for (std::string& line : environment) {
        envp.push_back(line.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    if (input >= 0) {
        posix_spawn_file_actions_adddup2(&files, input, 0);
    } else {
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&files, 1, transcript.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(failed));
    }
    return child;
}

bool exited(pid_t child) {
    int status = 0;
    return waitpid(child, &status, WNOHANG) == child;
}

// Waits for a file ending in ".nbk" to be created in the watched folder; returns false when
// the child ended first.
bool backupFileCreated(int watch, pid_t child) {
    const auto deadline = Clock::now() + kPatience;
    alignas(inotify_event) char buffer[4096];
    while (Clock::now() < deadline) {
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, 5) > 0) {
            const ssize_t length = read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && endsWith(event->name, ".nbk")) {
                    return true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        } else if (exited(child)) {
            return false;
        }
    }
    return false;
}

}  // namespace

bool killCopyMidway(const fs::path& eventFolder, const std::string& tool) {
    db::prepareEngineLockFolder();
    const fs::path copies = eventFolder / competition::Backups::kFolder;
    fs::create_directories(copies);
    const TempFolder scratch;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch < 0 || inotify_add_watch(watch, copies.c_str(), IN_CREATE) < 0) {
            throw std::runtime_error("cannot watch " + copies.string());
        }
        const pid_t child =
            spawn({tool, "backup", eventFolder.string()}, -1, scratch.path() / "backup.txt");
        if (backupFileCreated(watch, child)) {
            kill(child, SIGKILL);
        }
        close(watch);
        int status = 0;
        waitpid(child, &status, 0);
        if (db::backupModeOf(eventFolder / competition::kDatabaseFile) != db::BackupMode::Normal) {
            return true;
        }
    }
    return false;
}

bool killInBackupMode(const fs::path& database, const std::string& statements) {
    db::prepareEngineLockFolder();
    const TempFolder scratch;
    const fs::path transcript = scratch.path() / "isql.txt";
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    // isql needs a UTF-8 locale for the Czech letters in the folder's name.
    const pid_t isql = spawn({"isql-fb", "-q"}, pipe[0], transcript, {"LC_ALL=C.UTF-8"});
    close(pipe[0]);
    const std::string script = "CONNECT '" + database.string() +
                               "' USER 'SYSDBA';\n"
                               "ALTER DATABASE BEGIN BACKUP;\n" +
                               statements +
                               "\nCOMMIT;\n"
                               "SELECT 'ZAPSANO' || '-V-REZIMU' FROM RDB$DATABASE;\n";
    const bool written =
        write(pipe[1], script.data(), script.size()) == static_cast<ssize_t>(script.size());
    bool reached = false;
    const auto deadline = Clock::now() + kPatience;
    while (written && !reached && Clock::now() < deadline && !exited(isql)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::string said = fileBytes(transcript);
        if (said.find("failed") != std::string::npos) {
            break;
        }
        reached = said.find("ZAPSANO-V-REZIMU") != std::string::npos;
    }
    kill(isql, SIGKILL);
    close(pipe[1]);
    int status = 0;
    waitpid(isql, &status, 0);
    return reached;
}

}  // namespace zlt::test

#include "tests/support/FirebirdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tools/EventFolder.h"

extern char** environ;

namespace zlt::test {
namespace {

namespace fs = std::filesystem;

const fs::path kServerProgram = "/usr/sbin/firebird";
const fs::path kIsql = "/usr/bin/isql-fb";
const fs::path kSecuritySql = "/usr/share/firebird/3.0/security.sql";

// Debian's Firebird root (/usr/lib/<architecture>/firebird/3.0): the messages, plugins
// and character sets the private root links to.
std::optional<fs::path> packageRoot() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib", error)) {
        const fs::path root = entry.path() / "firebird/3.0";
        if (fs::exists(root / "plugins", error)) {
            return root;
        }
    }
    return std::nullopt;
}

// A port nobody listens on now; the server takes it a moment later.
int freePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(probe);
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    ::close(probe);
    return ntohs(address.sin_port);
}

}  // namespace

bool acceptsConnections(int port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
}

namespace {

void writeFile(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

std::string readFile(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

}  // namespace

std::optional<std::string> FirebirdServer::unavailable() {
    for (const fs::path& needed : {kServerProgram, kIsql, kSecuritySql}) {
        if (!fs::exists(needed)) {
            return needed.string() +
                   " is missing: scripts/install-deps.sh installs firebird3.0-server";
        }
    }
    if (!packageRoot()) {
        return std::string("Debian's Firebird 3.0 root folder is missing");
    }
    return std::nullopt;
}

FirebirdServer::FirebirdServer() : port_(freePort()), auxPort_(freePort()) {
    const fs::path& root = root_.path();
    for (const char* shared : {"firebird.msg", "plugins.conf", "plugins", "lib"}) {
        fs::create_symlink(*packageRoot() / shared, root / shared);
    }
    // The character sets (WIN1250) load only from a real folder, not through a link.
    fs::copy(*packageRoot() / "intl", root / "intl", fs::copy_options::recursive);
    fs::create_directory(root / "lock");
    fs::create_directory(root / "data");
    writeFile(root / "firebird.conf", "RemoteServicePort = " + std::to_string(port_) +
                                          "\nRemoteAuxPort = " + std::to_string(auxPort_) +
                                          "\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = " +
                                          (root / "security3.fdb").string() + "\n");
    createSecurityDatabase();
    start();
}

FirebirdServer::~FirebirdServer() {
    kill();
}

void FirebirdServer::createSecurityDatabase() const {
    const fs::path script = root_.path() / "security.sql";
    writeFile(script, "CREATE DATABASE '" + (root_.path() / "security3.fdb").string() +
                          "';\nINPUT " + kSecuritySql.string() +
                          ";\nCREATE USER ZLT PASSWORD 'zlt' USING PLUGIN Srp;\n"
                          "GRANT CREATE DATABASE TO USER ZLT;\n"
                          "CREATE USER SYSDBA PASSWORD '" +
                          kAdministratorPassword + "' USING PLUGIN Srp;\nCOMMIT;\n");
    runIsql(script, {"-user", "SYSDBA"}, "making the security database");
}

std::string FirebirdServer::runIsql(const fs::path& script,
                                    const std::vector<std::string>& arguments,
                                    const std::string& what) const {
    const fs::path log = fs::path(script).replace_extension(".log");
    std::vector<std::string> all{"-q", "-bail"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    all.insert(all.end(), {"-i", script.string()});
    int status = 0;
    ::waitpid(spawn(kIsql, all, log), &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(what + " failed: " + readFile(log));
    }
    return readFile(log);
}

pid_t FirebirdServer::spawn(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& log) const {
    // The server and isql take their configuration and lock files from the private root.
    std::vector<std::string> environment{"FIREBIRD=" + root_.path().string(),
                                         "FIREBIRD_LOCK=" + (root_.path() / "lock").string()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string line = *variable;
        if (line.rfind("FIREBIRD=", 0) != 0 && line.rfind("FIREBIRD_LOCK=", 0) != 0) {
            environment.push_back(line);
        }
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    std::vector<char*> envp;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    for (std::string& line : environment) {
        envp.push_back(line.data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return pid;
}

void FirebirdServer::start() {
    const fs::path log = root_.path() / "server.log";
    pid_ = spawn(kServerProgram, {}, log);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!acceptsConnections(port_)) {
        const bool ended = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
        if (ended || std::chrono::steady_clock::now() > deadline) {
            pid_ = ended ? 0 : pid_;
            kill();
            throw std::runtime_error("the Firebird server did not start: " + readFile(log));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void FirebirdServer::kill() {
    if (pid_ != 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
}

std::string FirebirdServer::location(const std::string& file) const {
    return "127.0.0.1/" + std::to_string(port_) + ":" + (root_.path() / "data" / file).string();
}

std::string FirebirdServer::isqlDatabase(const std::string& file, const fs::path& script) const {
    const std::string where = location(file);
    const fs::path whole = root_.path() / (file + ".sql");
    writeFile(whole, "CREATE DATABASE '" + where +
                         "' USER 'ZLT' PASSWORD 'zlt' DEFAULT CHARACTER SET WIN1250;\nINPUT " +
                         script.string() + ";\n");
    runIsql(whole, {}, "making the database " + where);
    return where;
}

std::vector<std::string> FirebirdServer::isqlRows(const std::string& location,
                                                  const std::string& query) const {
    const fs::path script = root_.path() / "query.sql";
    fs::remove(fs::path(script).replace_extension(".log"));
    writeFile(script, "CONNECT '" + location + "' USER 'ZLT' PASSWORD 'zlt';\nSET HEADING OFF;\n" +
                          query + ";\n");
    std::istringstream output(runIsql(script, {}, "the query " + query));
    std::vector<std::string> rows;
    for (std::string line; std::getline(output, line);) {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos) {
            rows.push_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
        }
    }
    return rows;
}

std::string FirebirdServer::newEventDatabase(const std::string& file) const {
    const std::string where = location(file);
    tools::createServerDatabase(where);
    return where;
}

}  // namespace zlt::test

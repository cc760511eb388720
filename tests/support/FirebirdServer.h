#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempEventFolder.h"

namespace zlt::test {

// Whether something listens on that port of 127.0.0.1.
bool acceptsConnections(int port);

// A Firebird server of the test's own: Debian's server binary run as the current user on
// free ports of 127.0.0.1, with its configuration, security database (user ZLT, password
// zlt, allowed to create databases; the administrator SYSDBA with the password below) and
// lock files in a temporary folder. Tests so run in parallel and as any user, and can kill
// the server and start it again.
class FirebirdServer {
public:
    static constexpr const char* kAdministratorPassword = "masterkey";

    // Why no server can be started on this machine, or nothing when one can.
    static std::optional<std::string> unavailable();

    FirebirdServer();
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;

    int port() const { return port_; }
    // The location of a file in the server's folder, as Connection::setPath takes it.
    std::string location(const std::string& file) const;
    // A new event's database on the server, made through it by the new-event code.
    std::string newEventDatabase(const std::string& file = "zlt.fdb") const;

    // A database made by isql as the user ZLT, WIN1250, its tables made by the script; made
    // in another process, so that a test that forks has not touched the client library.
    std::string isqlDatabase(const std::string& file, const std::filesystem::path& script) const;
    // What isql prints for a query on that database, one trimmed line per row, also read
    // in another process.
    std::vector<std::string> isqlRows(const std::string& location, const std::string& query) const;

    // Ends the server at once, as a crash or a pulled cable would.
    void kill();
    // Starts it again on the same port, as after a restart of its machine.
    void start();

private:
    void createSecurityDatabase() const;
    // Runs isql on a script and returns its output; throws with it when isql fails.
    std::string runIsql(const std::filesystem::path& script,
                        const std::vector<std::string>& arguments, const std::string& what) const;
    pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& log) const;

    TempFolder root_;
    int port_ = 0;
    int auxPort_ = 0;
    pid_t pid_ = 0;
};

}  // namespace zlt::test

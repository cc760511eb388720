#pragma once

#include <string>
#include <string_view>

namespace zlt::db {

// Where the competition database lives: a local file, which the embedded engine opens in
// this process, or a database on a Firebird server, written host[/port]:path or host:alias
// as the client library takes it. Several judges' tables can share only a server database.
class DatabaseLocation {
public:
    static constexpr int kDefaultPort = 3050;

    // Anything with a ':' is on a server, except a Windows drive letter ("C:\Data\...").
    static DatabaseLocation parse(std::string_view text);

    bool isServer() const { return !host_.empty(); }
    const std::string& host() const { return host_; }
    int port() const { return port_; }
    // The file (or the server's alias for it); for a local file, the whole location.
    const std::string& path() const { return path_; }

    // The location as written, which is also what the client library attaches to.
    const std::string& text() const { return text_; }
    // For the user: which file, or which database on which server.
    std::string describe() const;

private:
    std::string text_;
    std::string host_;
    int port_ = kDefaultPort;
    std::string path_;
};

}  // namespace zlt::db

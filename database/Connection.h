#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/DatabaseLocation.h"
#include "database/FileWatch.h"

namespace zlt::db {

class Transaction;

// Who a database server lets in.
struct Credentials {
    std::string user;
    std::string password;
};

struct ClientHandle;
struct FbClient;

// The one connection to the competition database: a parameter list of "NAME=value"
// lines and a saved password. It attaches on demand, without a prompt, in one attempt.
class Connection {
public:
    static constexpr std::string_view kCharacterSet = "CHARACTER SET";
    static constexpr std::string_view kPath = "PATH";
    static constexpr std::string_view kUserName = "USER NAME";

    explicit Connection(std::string name = "IB_Connection1");
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& name() const { return name_; }

    const std::vector<std::string>& params() const { return params_; }
    std::string param(std::string_view key) const;
    // Refused with "Cannot change while connected" while attached.
    void setParam(std::string_view key, const std::string& value);
    std::string path() const { return param(kPath); }
    void setPath(const std::string& path) { setParam(kPath, path); }

    // The path parameter read as a local file or a database on a server.
    DatabaseLocation location() const { return DatabaseLocation::parse(path()); }

    // The password is kept only in its scrambled form.
    void setPassword(std::string_view plain);
    const std::string& savedPassword() const { return scrambledPassword_; }

    // The user and password set on the connection. A server location, when none were set,
    // uses ISC_USER and ISC_PASSWORD from the environment, else ZLT / zlt: the user that
    // scripts/server.sh creates. (The embedded engine checks no password.)
    Credentials credentials() const;

    // The attach parameters as the client library takes them (user, password, character
    // set, and the embedded engine or the network client as the only provider).
    std::string parameterBlock() const;

    // Creates an empty database file at the path, in Windows-1250 and the given SQL
    // dialect, with forced writes, and leaves it detached.
    void createFile(int sqlDialect);

    void connect();
    void disconnect();
    bool connected() const;

    // For the layer's statements and result sets: attaches first when needed.
    ClientHandle& handle();
    const FbClient& client();

    // Told, after a write, that the database file was deleted or moved while in use, and
    // again with every write refused after that.
    void setFileLostHandler(std::function<void()> handler) { fileLost_ = std::move(handler); }
    void checkFileAfterWrite();
    // Whether the file attached was found deleted or moved; attaching anew clears it.
    bool fileLost() const { return fileLostTold_; }
    // A file found lost takes no more writes: the engine would write them where nobody
    // can find them, and they would be gone with the program. Refused with a DatabaseError
    // saying so, the handler told again.
    void requireWritable();
    // Copies the open database file, also one that was deleted meanwhile.
    void copyFileTo(const std::filesystem::path& target) const { watch_.copyTo(target); }

    // The transaction that every new one joins while set (Transaction::together).
    Transaction* sharedTransaction() const { return shared_; }
    void setSharedTransaction(Transaction* transaction) { shared_ = transaction; }

private:
    // Whether a server on this machine can open the file, which the embedded engine was
    // refused: then it is that server that holds it.
    bool heldByLocalServer(const std::string& file) const;

    std::string name_;
    std::vector<std::string> params_;
    std::string scrambledPassword_;
    bool credentialsSet_ = false;
    std::unique_ptr<ClientHandle> handle_;
    const FbClient* client_ = nullptr;
    Transaction* shared_ = nullptr;
    FileWatch watch_;
    std::function<void()> fileLost_;
    bool fileLostTold_ = false;
};

std::string scramblePassword(std::string_view plain);
std::string unscramblePassword(std::string_view scrambled);

}  // namespace zlt::db

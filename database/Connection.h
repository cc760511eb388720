#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/FileWatch.h"

namespace zlt::db {

class Transaction;

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

    // The password is kept only in its scrambled form.
    void setPassword(std::string_view plain);
    const std::string& savedPassword() const { return scrambledPassword_; }

    // The attach parameters as the client library takes them (user, password, character
    // set, embedded engine).
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

    // Told once, after a write, that the database file was deleted or moved while in use.
    void setFileLostHandler(std::function<void()> handler) { fileLost_ = std::move(handler); }
    void checkFileAfterWrite();
    // Copies the open database file, also one that was deleted meanwhile.
    void copyFileTo(const std::filesystem::path& target) const { watch_.copyTo(target); }

    // The transaction that every new one joins while set (Transaction::together).
    Transaction* sharedTransaction() const { return shared_; }
    void setSharedTransaction(Transaction* transaction) { shared_ = transaction; }

private:
    std::string name_;
    std::vector<std::string> params_;
    std::string scrambledPassword_;
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

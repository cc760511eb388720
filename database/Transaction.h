#pragma once

#include <functional>
#include <memory>

namespace zlt::db {

class Connection;
struct ClientHandle;
struct FbClient;

// One short read-committed transaction. The layer never keeps one open between calls:
// each open, post or execute starts one, commits it and is done; an exception on the way
// rolls it back, so nothing is left half-written.
class Transaction {
public:
    enum class Access { ReadOnly, ReadWrite };

    Transaction(Connection& connection, Access access);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    ClientHandle& handle() { return *handle_; }
    void commit();

    // Runs the work in one read-write transaction that every transaction of the connection
    // joins meanwhile: all of it is committed together at the end, or none of it when the
    // work throws or the process dies first.
    static void together(Connection& connection, const std::function<void()>& work);

private:
    Connection& connection_;
    const FbClient& client_;
    const bool write_;
    std::unique_ptr<ClientHandle> handle_;
    bool joined_ = false;  // part of a shared transaction, which its owner ends
};

}  // namespace zlt::db

#pragma once

#include <ibase.h>

namespace zlt::db {

class Connection;
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

    isc_tr_handle* handle() { return &handle_; }
    void commit();

private:
    const FbClient& client_;
    isc_tr_handle handle_ = 0;
};

}  // namespace zlt::db

#include "database/Transaction.h"

#include "database/Connection.h"
#include "database/FbClient.h"

namespace zlt::db {
namespace {

// No wait on locks: a conflict is reported at once instead of freezing the window.
const char kReadOnly[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                          isc_tpb_rec_version, isc_tpb_nowait};
const char kReadWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                           isc_tpb_rec_version, isc_tpb_nowait};

// The transaction existence block of isc_start_multiple; the length is declared long so
// that it reads right whether the library takes it as int or long.
struct TransactionBlock {
    isc_db_handle* database;
    long tpbLength;
    const char* tpb;
};

}  // namespace

Transaction::Transaction(Connection& connection, Access access)
    : connection_(connection),
      client_(connection.client()),
      write_(access == Access::ReadWrite),
      handle_(std::make_unique<ClientHandle>()) {
    if (Transaction* shared = connection.sharedTransaction()) {
        handle_->value = shared->handle_->value;
        joined_ = true;
        return;
    }
    TransactionBlock teb{
        connection.handle(),
        write_ ? static_cast<long>(sizeof kReadWrite) : static_cast<long>(sizeof kReadOnly),
        write_ ? kReadWrite : kReadOnly};
    ISC_STATUS_ARRAY status{};
    client_.start_multiple(status, &handle_->value, 1, &teb);
    client_.check(status);
}

Transaction::~Transaction() {
    if (handle_->value != 0 && !joined_) {
        ISC_STATUS_ARRAY status{};
        client_.rollback_transaction(status, &handle_->value);
    }
}

void Transaction::commit() {
    if (joined_) {
        return;
    }
    ISC_STATUS_ARRAY status{};
    client_.commit_transaction(status, &handle_->value);
    client_.check(status);
    if (write_) {
        connection_.checkFileAfterWrite();
    }
}

void Transaction::together(Connection& connection, const std::function<void()>& work) {
    Transaction shared(connection, Access::ReadWrite);
    connection.setSharedTransaction(&shared);
    try {
        work();
    } catch (...) {
        connection.setSharedTransaction(nullptr);
        throw;
    }
    connection.setSharedTransaction(nullptr);
    shared.commit();
}

}  // namespace zlt::db

#include "database/Transaction.h"

#include <string>

#include "database/Connection.h"
#include "database/EventListener.h"
#include "database/FbClient.h"

namespace zlt::db {
namespace {

// A row another judges' table is writing at that moment is waited for a few seconds, as
// long as such a write takes; a conflict is reported then instead of freezing the window.
constexpr char kLockTimeoutSeconds = 3;

std::string parametersOf(char access) {
    return {isc_tpb_version3,     access, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait,
            isc_tpb_lock_timeout, 1,      kLockTimeoutSeconds};
}

const std::string kReadOnly = parametersOf(isc_tpb_read);
const std::string kReadWrite = parametersOf(isc_tpb_write);

// Posted in the transaction it announces, so that it is delivered only if that commits.
const std::string kAnnounceChange =
    "EXECUTE BLOCK AS BEGIN POST_EVENT '" + std::string(kChangeEvent) + "'; END";

constexpr unsigned short kSqlDialect = 3;

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
    if (write_) {
        connection.requireWritable();
    }
    const std::string& parameters = write_ ? kReadWrite : kReadOnly;
    TransactionBlock teb{connection.handle(), static_cast<long>(parameters.size()),
                         parameters.data()};
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
    if (write_) {
        client_.dsql_execute_immediate(status, connection_.handle(), &handle_->value, 0,
                                       kAnnounceChange.c_str(), kSqlDialect, nullptr);
        client_.check(status);
    }
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

#include "bench/RawCommit.h"

#include <string>

#include "database/Connection.h"
#include "database/FbClient.h"

namespace zlt::bench {

void rawUpdateCommit(db::Connection& connection, int value) {
    const db::FbClient& api = connection.client();
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                               isc_tpb_rec_version, isc_tpb_nowait};
    struct {
        isc_db_handle* database;
        long length;
        const char* tpb;
    } block{connection.handle(), sizeof tpb, tpb};
    ISC_STATUS_ARRAY status{};
    isc_tr_handle transaction = 0;
    api.start_multiple(status, &transaction, 1, &block);
    api.check(status);
    const std::string sql =
        "UPDATE DATAZLT SET BOD1 = " + std::to_string(value % 30) + " WHERE CISLO = 5";
    api.dsql_execute_immediate(status, block.database, &transaction, 0, sql.c_str(), 3, nullptr);
    api.commit_transaction(status, &transaction);
    api.check(status);
}

void measureRawUpdateCommits(benchmark::State& state, db::Connection& connection) {
    int value = 0;
    for (auto _ : state) {
        rawUpdateCommit(connection, ++value);
    }
}

void measureRaw44Commits(benchmark::State& state, db::Connection& connection) {
    int value = 0;
    for (auto _ : state) {
        for (int commit = 0; commit < 44; ++commit) {
            rawUpdateCommit(connection, ++value);
        }
    }
}

}  // namespace zlt::bench

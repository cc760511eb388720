// Runs the database reset on an event's database and dies by SIGKILL when the reset sets
// its N-th field, as a crash or a power cut would end it. Usage: reset-crash DATABASE N
// (N = 0 lets the reset finish).
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "competition/DatabaseReset.h"
#include "database/Connection.h"
#include "database/DataSource.h"
#include "database/ResultSet.h"
#include "database/Statement.h"

int main(int argc, char** argv) {
    using namespace zlt;
    if (argc != 3) {
        std::cerr << "usage: reset-crash DATABASE N\n";
        return 2;
    }
    const int killAt = std::atoi(argv[2]);
    db::Connection connection;
    connection.setPath(argv[1]);
    db::ResultSet preliminary("IBOQuery1", connection, db::preliminaryFields(),
                              "SELECT * FROM DATAZLT");
    db::ResultSet finals("IBOQueryF", connection, db::finalsFields(), "SELECT * FROM DATAZLTF");
    db::Statement deletePreliminary("IB_DSQL1", connection, "DELETE FROM DATAZLT");
    db::Statement deleteFinals("IB_DSQLF", connection, "DELETE FROM DATAZLTF");
    int fieldsSet = 0;
    const auto countAndDie = [&](db::DataEvent event) {
        if (event == db::DataEvent::RecordChanged && ++fieldsSet == killAt) {
            std::raise(SIGKILL);
        }
    };
    db::DataSource preliminarySource(&preliminary);
    db::DataSource finalsSource(&finals);
    preliminarySource.addListener(countAndDie);
    finalsSource.addListener(countAndDie);
    try {
        preliminary.open();
        finals.open();
        competition::resetDatabase({deletePreliminary, preliminary}, {deleteFinals, finals});
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

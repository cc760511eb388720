#pragma once

#include <memory>
#include <string>

#include "competition/Competition.h"
#include "database/Connection.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::bench {

// Teams 1 to the count, each named, with two placings and a total, the totals shared by
// many teams; teams past the new event's 30 are added.
inline void addTeams(db::Connection& connection, int teams) {
    db::Statement("fill", connection,
                  "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < " +
                      std::to_string(teams) +
                      ") DO BEGIN i = i + 1; UPDATE OR INSERT INTO DATAZLT (CISLO, DRUZSTVO, "
                      "DISCIPLINA1, BOD1, BOD2, CELKEM) VALUES (:i, 'Družstvo ' || :i, "
                      "'12,5 s', MOD(:i, 5) + 1, MOD(:i, 7) + 1, MOD(:i * 7919, 97)) MATCHING "
                      "(CISLO); END END")
        .execute();
}

// A new event's folder with its database attached, its preliminary rows (30 teams, or as
// many as given) open as the program holds them.
struct EventDatabase {
    test::TempEventFolder folder;
    db::Connection connection;
    db::ResultSet query{"IBOQuery1", connection, db::preliminaryFields(), "SELECT *  FROM DATAZLT"};

    explicit EventDatabase(int teams = 30) {
        connection.setPath(folder.database().string());
        if (teams > 30) {
            addTeams(connection, teams);
        }
        query.open();
    }
};

// The core as the program makes it, in a new event's folder of its own, its preliminary
// rows open.
struct EventCore {
    test::TempEventFolder folder;
    std::unique_ptr<competition::Competition> core;

    // The core takes the working directory as its event folder when it is made and opened.
    EventCore() {
        const test::WorkingDirectory inFolder(folder.path());
        core = std::make_unique<competition::Competition>();
        core->openPreliminary();
    }

    // Runs a statement on the event's database; the rows are read again by the caller.
    void run(const std::string& sql) { db::Statement("fill", core->connection(), sql).execute(); }

    // No rank written in the preliminary rows, which are read again: where each round of a
    // rank benchmark starts, so that it writes every rank.
    void clearRanks() {
        run("UPDATE DATAZLT SET PORADI = NULL");
        core->preliminary().refresh();
    }
};

}  // namespace zlt::bench

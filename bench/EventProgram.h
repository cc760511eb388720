#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "database/Statement.h"
#include "finals/Finale.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::bench {

// The program's own windows over a new event folder, which is the working directory while
// they live.
class EventProgram {
public:
    EventProgram() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder.path());
        app::createWindows();
    }
    ~EventProgram() {
        app::destroyWindows();
        std::filesystem::current_path(previous_);
    }
    EventProgram(const EventProgram&) = delete;
    EventProgram& operator=(const EventProgram&) = delete;

    // Runs a statement on the event's database; the rows are read again by the caller.
    static void run(const std::string& sql) {
        db::Statement("fill", frmHlavni->IB_Connection1, sql).execute();
    }

    // A full event: 42 teams in the preliminary round and the best 12 in the finals, every
    // result typed, read into the grids.
    static void fillFullEvent() {
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 30; BEGIN WHILE (i < 42) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLT (CISLO) VALUES (:i); END END");
        run("UPDATE DATAZLT SET DRUZSTVO = 'Družstvo ' || CISLO, PENALIZACE = MOD(CISLO, 3), "
            "DISCIPLINA1 = '12,5 s', DISCIPLINA2 = '3:41', DISCIPLINA3 = '17 m', "
            "DISCIPLINA4 = '8 b', DISCIPLINA5 = '1:02,3', DISCIPLINA6 = '44', BOD1 = CISLO, "
            "BOD2 = CISLO, BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, "
            "CELKEM = 6 * CISLO, PORADI = CISLO");
        run("DELETE FROM DATAZLTF");
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < 12) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FDISCIPLINA1, FBOD1, FDISCIPLINA2, FBOD2, "
            "FDISCIPLINA3, FBOD3, FCELKEM, FPORADI) VALUES ('Družstvo ' || :i, :i, '12,5 s', :i, "
            "'3:41', :i, '17 m', :i, 3 * :i, :i); END END");
        frmHlavni->IBOQuery1.refresh();
        frmFinale->IBOQueryF.refresh();
    }

    test::TempEventFolder folder;

private:
    std::filesystem::path previous_;
};

// The one program of a benchmark run, made on first use; reset() ends it before main
// returns, while the client library is still there.
template <typename Program>
std::unique_ptr<Program>& programSlot() {
    static std::unique_ptr<Program> made;
    return made;
}

template <typename Program>
Program& program() {
    if (!programSlot<Program>())
        programSlot<Program>() = std::make_unique<Program>();
    return *programSlot<Program>();
}

}  // namespace zlt::bench

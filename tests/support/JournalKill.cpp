// Posts placings into an event's preliminary rows, one row after another, with the change
// journal watching both tables, until it is killed as a crash or a power cut would end
// it. After each committed post it prints "posted VALUE CISLO". Usage:
// journal-kill EVENT_FOLDER FIRST_VALUE
#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "competition/ChangeJournal.h"
#include "competition/Competition.h"

int main(int argc, char** argv) {
    using namespace zlt;
    if (argc != 3) {
        std::cerr << "usage: journal-kill EVENT_FOLDER FIRST_VALUE\n";
        return 2;
    }
    QCoreApplication application(argc, argv);
    std::filesystem::current_path(argv[1]);
    competition::Competition competition;
    competition::ChangeJournal journal(competition::ChangeJournal::kFile);
    try {
        competition.openPreliminary();
        competition.openFinals();
        journal.watch(competition.preliminary());
        journal.watch(competition.finals());
        db::ResultSet& rows = competition.preliminary();
        for (int value = std::atoi(argv[2]);; ++value) {
            rows.moveTo(value % rows.recordCount());
            rows.edit();
            rows.setField("BOD1", value);
            rows.post();
            std::cout << "posted " << value << " " << db::displayText(rows.field(0)) << std::endl;
            // The journal's timed sync runs from the event loop.
            QCoreApplication::processEvents();
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
}

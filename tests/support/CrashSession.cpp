// A scripted event session, the same on every run, in the event folder given, through the
// program's own core: the crash loop cuts the power somewhere inside it and then checks
// that nothing it reported is lost. After each operation returns, one line goes to stdout:
//   <monotonic µs> <journal entries> <verb> [words...]
// verbs: open, set (DB changes as TABLE|KEY|FIELD|VALUE words), settings <hash>,
// choice <file> <hash>, copy <name>, export <files...>, reset, restore <ordinal of copy>,
// done. The finals rows are keyed by team name, the preliminary rows by CISLO.
// Usage: crash-session FOLDER
#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "competition/Competition.h"
#include "competition/EventChoices.h"
#include "competition/EventFiles.h"
#include "competition/Scoring.h"
#include "competition/TeamImport.h"
#include "database/FieldValue.h"
#include "reports/Publishing.h"
#include "tests/support/CrashReport.h"
#include "tests/support/Files.h"

namespace fs = std::filesystem;
using namespace zlt;

namespace {

std::string fileHash(const fs::path& file) {
    return test::fingerprint(test::fileBytes(file));
}

class Session {
public:
    Session() {
        QObject::connect(&competition_.backups(), &competition::Backups::statusChanged,
                         [this] { reportNewCopy(); });
    }

    void run() {
        competition_.openPreliminary();
        competition_.openFinals();
        competition_.details().load();
        // Ordered by number, so that the journal's lines of the writes that go through the
        // rows in their order (ranks, imports) come in the same order on every run.
        competition_.sortByTitle(competition_.preliminary(), 0);
        report("open");
        pause(50);  // the run's first copy
        db::ResultSet& preliminary = competition_.preliminary();
        db::ResultSet& finals = competition_.finals();
        importTeams(preliminary, 30, "Obec");
        importTeams(finals, 12, "Finalista");
        for (int step = 0; step < 14; ++step) {
            enter(preliminary, std::to_string((step * 7) % 30 + 1),
                  "BOD" + std::to_string(1 + step % 6), (step * 13) % 30 + 1);
        }
        confirmSettings(1);
        choosePublishing(true);
        appendRow(preliminary, 31, "Nováček");
        appendRow(preliminary, 32, "Host");
        enter(preliminary, "31", "BOD1", 4);
        enter(preliminary, "32", "PENALIZACE", 3);
        pause(1100);  // the journal's lines of the writes above reach the disk meanwhile
        for (int step = 0; step < 4; ++step) {
            enter(finals, "Finalista" + std::to_string(step * 2 + 1),
                  "FBOD" + std::to_string(1 + step % 3), step + 1);
        }
        publish();
        ranks(preliminary);
        const std::size_t restored = 0;  // the run's first copy
        for (int step = 0; step < 6; ++step) {
            enter(preliminary, std::to_string((step * 11) % 32 + 1),
                  "BOD" + std::to_string(1 + step % 6), step + 20);
        }
        confirmSettings(2);
        choosePublishing(false);
        competition_.restore(copyNamed(copies_[restored]));
        report("restore " + std::to_string(restored));
        for (int step = 0; step < 6; ++step) {
            enter(preliminary, std::to_string(step * 5 + 1), "BOD6", step + 7);
        }
        publish();
        // A second folder for the copies, as a USB stick would be: the reset's copy goes
        // there too.
        competition_.backups().setSecondFolder("druha/zalohy");
        report(std::string("choice ") +
               competition::choiceFile(competition::EventChoice::SecondBackupFolder) + " " +
               fileHash(competition::choiceFile(competition::EventChoice::SecondBackupFolder)));
        competition_.resetDatabase();
        report("reset");
        for (int step = 0; step < 6; ++step) {
            enter(preliminary, std::to_string(step * 4 + 1), "BOD2", step + 1);
        }
        confirmSettings(3);
        publish();
        report("done");
    }

private:
    // Between two of the operator's actions the program's event loop turns, and with it
    // the journal's timed sync: so it does here after each operation.
    void report(const std::string& words) {
        std::printf("%lld %zu %s\n", test::monotonicMicros(),
                    competition_.journal().entries().size(), words.c_str());
        std::fflush(stdout);
        QCoreApplication::processEvents();
    }

    static void pause(int milliseconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void reportNewCopy() {
        const auto copies = competition_.backups().copies();
        if (copies.empty() ||
            (!copies_.empty() && copies.front().file.filename() == copies_.back().filename())) {
            return;
        }
        copies_.push_back(copies.front().file);
        report("copy " + copies.front().file.filename().string());
    }

    competition::BackupCopy copyNamed(const fs::path& file) {
        for (const auto& copy : competition_.backups().copies()) {
            if (copy.file.filename() == file.filename()) {
                return copy;
            }
        }
        throw std::runtime_error("no copy " + file.string());
    }

    static std::string keyOf(const db::ResultSet& rows, int row) {
        const bool finals = rows.fields().table() == db::finalsFields().table();
        const int key = rows.fieldPosition(finals ? "DRUZSTVO" : "CISLO");
        return std::string(db::withoutBlanks(db::displayText(rows.value(row, key))));
    }

    static std::string change(const db::ResultSet& rows, int row, const std::string& field) {
        return " " + rows.fields().table() + "|" + keyOf(rows, row) + "|" + field + "|" +
               std::string(
                   db::withoutBlanks(db::displayText(rows.value(row, rows.fieldPosition(field)))));
    }

    // A placing typed into the row and Enter pressed, as the grid does it.
    // The row is found by its key: the table's order is not the same on every run.
    void enter(db::ResultSet& rows, const std::string& key, const std::string& field, int value) {
        int row = 0;
        while (keyOf(rows, row) != key) {
            ++row;
        }
        rows.moveTo(row);
        rows.edit();
        rows.setField(field, value);
        competition_.recomputeTotal(rows);
        const std::string total = competition::totalRuleOf(rows).total;
        report("set" + change(rows, rows.recNo(), field) + change(rows, rows.recNo(), total));
    }

    void appendRow(db::ResultSet& rows, int number, const std::string& team) {
        rows.append();
        rows.setField("CISLO", number);
        rows.setField("DRUZSTVO", team);
        rows.post();
        report("set" + change(rows, rows.recNo(), "CISLO") +
               change(rows, rows.recNo(), "DRUZSTVO"));
    }

    void importTeams(db::ResultSet& rows, int count, const std::string& stem) {
        competition::TeamList list;
        for (int number = 1; number <= count; ++number) {
            list.teams.push_back({number, number, stem + std::to_string(number)});
        }
        competition_.writeImport(rows, competition::planImport(list, rows));
        std::string words = "set";
        for (int row = 0; row < rows.recordCount(); ++row) {
            words += change(rows, row, "DRUZSTVO");
        }
        report(words);
    }

    void ranks(db::ResultSet& rows) {
        competition_.writeRanks(rows, competition::proposeRanks(rows, true));
        std::string words = "set";
        for (int row = 0; row < rows.recordCount(); ++row) {
            words += change(rows, row, "PORADI");
        }
        report(words);
    }

    // The settings window's "Potvrdit" with a new edition and the seasons taking turns.
    void confirmSettings(int round) {
        competition::EventDetails& details = competition_.details();
        details.setText(competition::EventDetails::Edition, QString::number(40 + round));
        details.setText(competition::EventDetails::Place,
                        QStringLiteral("Horní Dolní, %1. července").arg(round));
        details.confirm(round % 2 == 0, round % 2 == 1, QImage(), QImage());
        report(std::string("settings ") + fileHash(competition::kSettingsFile));
    }

    // Two choices, each written as the tools window writes it, so each is a version.
    void choosePublishing(bool automatic) {
        publishing_.setFolder("web");
        reportChoice();
        publishing_.setAutomatic(automatic);
        reportChoice();
    }

    void reportChoice() {
        report(std::string("choice ") +
               competition::choiceFile(competition::EventChoice::Publishing) + " " +
               fileHash(competition::choiceFile(competition::EventChoice::Publishing)));
    }

    void publish() {
        std::string words = "export";
        for (const fs::path& file : publishing_.publishNow()) {
            words += " " + file.filename().string();
        }
        report(words);
    }

    competition::Competition competition_;
    reports::Publishing publishing_{competition_, fs::current_path()};
    std::vector<fs::path> copies_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: crash-session FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        fs::current_path(argv[1]);
        Session session;
        session.run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "crash-session: %s\n", error.what());
        return 1;
    }
    return 0;
}

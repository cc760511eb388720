// The change journal over a real event database, written by the competition core's own
// operations; and the journal and the database after the program dies by SIGKILL.
#include "competition/ChangeJournal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "competition/Competition.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Validation.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// An entry without its time, as one text that a failing test shows whole.
std::string described(const JournalEntry& entry) {
    return entry.change + "|" + entry.table + "|" + entry.row + "|" + entry.field + "|" +
           entry.before + "|" + entry.after;
}

std::vector<std::string> described(const std::vector<JournalEntry>& entries) {
    std::vector<std::string> texts;
    for (const JournalEntry& entry : entries) {
        texts.push_back(described(entry));
    }
    return texts;
}

// The rows in an order of their own, for comparing tables whose row order differs.
std::vector<std::vector<db::FieldValue>> sortedRows(const fs::path& database,
                                                    const db::FieldList& fields) {
    auto rows = test::storedRows(database, fields, "1");
    std::sort(rows.begin(), rows.end());
    return rows;
}

void edit(db::ResultSet& rows, int row,
          const std::vector<std::pair<std::string, db::FieldValue>>& values) {
    rows.moveTo(row);
    rows.edit();
    for (const auto& [name, value] : values) {
        rows.setField(name, value);
    }
    rows.post();
}

// The competition core in its event folder, with the journal watching both rounds.
class Journal : public ::testing::Test {
protected:
    Journal() {
        test::ensureCoreApplication();
        competition.openPreliminary();
        competition.openFinals();
        journal.watch(competition.preliminary());
        journal.watch(competition.finals());
    }

    std::vector<std::string> lines() const { return described(journal.entries()); }
    db::ResultSet& preliminary() { return competition.preliminary(); }
    db::ResultSet& finals() { return competition.finals(); }

    test::TempEventFolder folder;
    test::WorkingDirectory inFolder{folder.path()};
    Competition competition;
    ChangeJournal journal{folder.path() / ChangeJournal::kFile};
};

TEST_F(Journal, EachWriteGivesItsLinesUnderTheHeader) {
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
    // BOD2 is set to the Null it held: no line.
    edit(preliminary(), 0, {{"DRUZSTVO", std::string("Lhota")}, {"BOD2", {}}, {"BOD3", 2}});
    edit(preliminary(), 1, {{"CISLO", 40}});
    preliminary().append();
    preliminary().setField("CISLO", 31);
    preliminary().setField("DRUZSTVO", std::string("Ves"));
    preliminary().post();
    preliminary().deleteRow();

    EXPECT_THAT(lines(), ElementsAre("úprava|DATAZLT|1|DRUZSTVO||Lhota",  //
                                     "úprava|DATAZLT|1|BOD3||2",          //
                                     "úprava|DATAZLT|2|CISLO|2|40",       //
                                     "nový řádek|DATAZLT|31|||",          //
                                     "úprava|DATAZLT|31|DRUZSTVO||Ves",   //
                                     "smazání|DATAZLT|31|||"));
    const auto entries = journal.entries();
    EXPECT_GE(entries.front().time, start);
    EXPECT_LE(entries.back().time, QDateTime::currentDateTime());
    EXPECT_THAT(test::fileBytes(folder.path() / ChangeJournal::kFile),
                StartsWith("čas;změna;tabulka;řádek;pole;původně;nově\n20"));
}

TEST_F(Journal, TheEnterTotalAndTheStandingsMergeAreRecordedLikeEdits) {
    preliminary().edit();
    preliminary().setField("BOD1", std::string("3"));
    preliminary().setField("BOD2", 4);
    competition.recomputeTotal(preliminary());
    EXPECT_THAT(lines(), ElementsAre("úprava|DATAZLT|1|BOD1||3", "úprava|DATAZLT|1|BOD2||4",
                                     "úprava|DATAZLT|1|CELKEM||7"));

    edit(finals(), 0, {{"DRUZSTVO", std::string("Lhota")}, {"FCELKEM", 9}, {"FPORADI", 1}});
    competition.mergeFinalsIntoStandings();
    std::string winner;
    for (int row = 0; row < preliminary().recordCount(); ++row) {
        if (preliminary().value(row, 1) == db::FieldValue(std::string("Lhota"))) {
            winner = db::displayText(preliminary().value(row, 0));
        }
    }
    const auto recorded = lines();
    EXPECT_THAT(recorded, Contains("úprava|DATAZLTF| |DRUZSTVO| |Lhota"));
    EXPECT_THAT(recorded, Contains("úprava|DATAZLT|" + winner + "|DRUZSTVO||Lhota"));
    EXPECT_THAT(recorded, Contains("úprava|DATAZLT|" + winner + "|CELKEMF||9"));
    EXPECT_THAT(recorded, Contains("úprava|DATAZLT|" + winner + "|PORADI||1"));
}

TEST_F(Journal, TheBlankTeamNameAndAwkwardTextsComeBackAsWritten) {
    edit(finals(), 2, {{"FBOD1", 1}});
    EXPECT_THAT(lines(), ElementsAre("úprava|DATAZLTF| |FBOD1||1"));
    EXPECT_THAT(test::fileBytes(folder.path() / ChangeJournal::kFile),
                HasSubstr(";úprava;DATAZLTF;\" \";FBOD1;;1\n"));

    const JournalEntry awkward{QDateTime(QDate(2027, 6, 12), QTime(10, 15, 3)),
                               "obnova",
                               "",
                               "a;b",
                               "\"uvozovky\"",
                               " okraje ",
                               "řádky\r\ndva"};
    journal.record(awkward);
    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(described(entries[1]), described(awkward));
    EXPECT_EQ(entries[1].time, awkward.time);
    EXPECT_THAT(test::fileBytes(folder.path() / ChangeJournal::kFile),
                HasSubstr("2027-06-12T10:15:03;obnova;;\"a;b\";\"\"\"uvozovky\"\"\";\" okraje \""));
}

TEST_F(Journal, ALineCutShortByAPowerCutIsLeftOutAndLaterLinesStayWhole) {
    edit(preliminary(), 0, {{"BOD1", 1}});
    std::ofstream(folder.path() / ChangeJournal::kFile, std::ios::app) << "2027-06-12T10:15:03;úpr";
    EXPECT_THAT(lines(), ElementsAre("úprava|DATAZLT|1|BOD1||1"));

    ChangeJournal restarted(folder.path() / ChangeJournal::kFile);
    restarted.watch(preliminary());
    edit(preliminary(), 0, {{"BOD1", 2}});
    EXPECT_THAT(lines(), ElementsAre("úprava|DATAZLT|1|BOD1||1", "úprava|DATAZLT|1|BOD1|1|2"));
}

TEST_F(Journal, NothingIsRecordedWhileAPauseLives) {
    {
        ChangeJournal::Pause reset(journal);
        { ChangeJournal::Pause nested(journal); }
        edit(preliminary(), 0, {{"BOD1", 1}});
        journal.record({QDateTime::currentDateTime(), "vymazání databáze", "", "", "", "", ""});
    }
    edit(preliminary(), 0, {{"BOD1", 2}});
    EXPECT_THAT(lines(), ElementsAre("vymazání databáze|||||", "úprava|DATAZLT|1|BOD1|1|2"));
}

// A folder where the file should be stops root as well as anyone else.
TEST_F(Journal, AJournalThatCannotBeWrittenStopsNoWriteAndSaysSoOnce) {
    const fs::path blocked = folder.path() / "zablokovaný.csv";
    fs::create_directory(blocked);
    ChangeJournal unwritable(blocked);
    unwritable.watch(preliminary());
    int told = 0;
    QObject::connect(&unwritable, &ChangeJournal::problemChanged, [&] { ++told; });

    edit(preliminary(), 0, {{"BOD1", 1}});
    edit(preliminary(), 0, {{"BOD1", 2}});
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")[0][4],
              db::FieldValue(2));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(unwritable.problem().toStdString(),
              "Deník změn zablokovaný.csv nelze zapsat: na jeho místě je složka.");

    fs::remove(blocked);
    edit(preliminary(), 0, {{"BOD1", 3}});
    EXPECT_EQ(told, 2);
    EXPECT_TRUE(unwritable.problem().isEmpty());
    EXPECT_THAT(described(unwritable.entries()),
                ElementsAre("úprava|DATAZLT|1|BOD1||1", "úprava|DATAZLT|1|BOD1|1|2",
                            "úprava|DATAZLT|1|BOD1|2|3"))
        << "the lines that could not be written wait for the next write";
}

// A second event folder as new as the first one was before the changes.
class Replay : public Journal {
protected:
    std::vector<std::string> replayIntoFresh(const std::vector<JournalEntry>& entries) {
        db::Connection connection("fresh");
        connection.setPath(fresh.database().string());
        db::ResultSet rows("fresh", connection, db::preliminaryFields(), "SELECT * FROM DATAZLT");
        db::ResultSet finalRows("freshF", connection, db::finalsFields(), "SELECT * FROM DATAZLTF");
        return replayEntries(entries, rows, finalRows);
    }

    test::TempEventFolder fresh;
};

TEST_F(Replay, TheJournalRebuildsTheTablesFromTheirStartingState) {
    edit(preliminary(), 0, {{"DRUZSTVO", std::string("Horní \"Lhota\"; u lesa")}, {"BOD1", 3}});
    edit(preliminary(), 4, {{"CISLO", 50}});
    edit(preliminary(), 4, {{"BOD2", 6}, {"DISCIPLINA2", std::string(" 12,5 s")}});
    edit(preliminary(), 6, {{"BOD1", 8}});
    edit(preliminary(), 6, {{"BOD1", {}}});
    preliminary().append();
    preliminary().setField("CISLO", 31);
    preliminary().setField("BOD6", 1);
    preliminary().post();
    preliminary().moveTo(9);
    preliminary().deleteRow();
    competition.recomputeTotal(preliminary());
    edit(finals(), 3, {{"DRUZSTVO", std::string("Lhota")}, {"FBOD1", 2}, {"FPORADI", 1}});
    edit(finals(), 5, {{"FBOD2", 4}});
    competition.mergeFinalsIntoStandings();

    EXPECT_THAT(replayIntoFresh(journal.entries()), IsEmpty());
    EXPECT_EQ(sortedRows(fresh.database(), db::preliminaryFields()),
              sortedRows(folder.database(), db::preliminaryFields()));
    EXPECT_EQ(sortedRows(fresh.database(), db::finalsFields()),
              sortedRows(folder.database(), db::finalsFields()));
}

TEST_F(Replay, WhatCannotBeReplayedIsToldAndTheRestIsDone) {
    test::execute(fresh.database(), "DELETE FROM DATAZLT WHERE CISLO = 7");
    const QDateTime time = QDateTime::currentDateTime();
    const auto skipped = replayIntoFresh({
        {time, "úprava", "DATAZLT", "7", "BOD3", "", "2"},
        {time, "úprava", "DATAZLT", "8", "BOD3", "", "dva"},
        {time, "vymazání databáze", "", "", "", "", ""},
        {time, "smazání", "DATAZLT", "7", "", "", ""},
        {time, "úprava", "DATAZLT", "9", "BOD3", "", "4"},
    });
    ASSERT_EQ(skipped.size(), 3u);
    EXPECT_EQ(skipped[0], "Řádek 7 tabulky DATAZLT už neexistuje: 3.Pořadí = 2 nelze obnovit.");
    EXPECT_THAT(skipped[1], StartsWith("Řádek 8 tabulky DATAZLT: 3.Pořadí = dva nelze obnovit ("));
    EXPECT_EQ(skipped[2], "Řádek 7 tabulky DATAZLT už neexistuje: smazání nelze obnovit.");
    const auto rows = test::storedRows(fresh.database(), db::preliminaryFields(), "CISLO");
    EXPECT_EQ(rows[6][0], db::FieldValue(8));
    EXPECT_EQ(rows[6][8], db::FieldValue()) << "the refused value left the row as it was";
    EXPECT_EQ(rows[7][8], db::FieldValue(4));
}

// The kill helper posting into the folder from FIRST on, killed after some posts; what it
// reported as committed before it died.
struct KilledRun {
    std::vector<std::pair<int, std::string>> posted;  // value, CISLO
};

KilledRun killAfter(const fs::path& eventFolder, int first, int posts) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const std::string value = std::to_string(first);
        execl(ZLT_JOURNAL_KILL, ZLT_JOURNAL_KILL, eventFolder.c_str(), value.c_str(), nullptr);
        _exit(127);
    }
    close(pipeEnds[1]);
    FILE* output = fdopen(pipeEnds[0], "r");
    KilledRun run;
    char* line = nullptr;
    std::size_t capacity = 0;
    while (static_cast<int>(run.posted.size()) < posts && getline(&line, &capacity, output) > 0) {
        std::istringstream words(line);
        std::string word;
        int value = 0;
        std::string number;
        words >> word >> value >> number;
        run.posted.emplace_back(value, number);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    free(line);
    fclose(output);
    return run;
}

TEST(JournalKill, AKilledProgramLeavesASoundDatabaseAndAJournalThatAgreesWithIt) {
    test::TempEventFolder folder;
    const fs::path journalFile = folder.path() / ChangeJournal::kFile;
    for (const auto& [first, posts] : {std::pair{1000, 5}, {2000, 23}, {3000, 61}}) {
        const KilledRun run = killAfter(folder.path(), first, posts);
        ASSERT_EQ(static_cast<int>(run.posted.size()), posts) << "the helper stopped early";
        const auto validation = test::validate(folder.database());
        EXPECT_TRUE(validation.sound()) << validation.status << ": " << validation.output;

        const auto rows = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
        std::map<std::string, db::FieldValue> stored;
        for (const auto& row : rows) {
            stored[db::displayText(row[0])] = row[4];
        }
        // A post after the last reported one may have been committed before the kill.
        const int unreported = run.posted.back().first + 1;
        std::map<std::string, int> lastPosted;
        for (const auto& [value, number] : run.posted) {
            lastPosted[number] = value;
        }
        for (const auto& [number, value] : lastPosted) {
            EXPECT_TRUE(stored[number] == db::FieldValue(value) ||
                        stored[number] == db::FieldValue(unreported))
                << "row " << number << " lost the reported " << value;
        }

        const auto entries = ChangeJournal(journalFile).entries();
        std::vector<std::string> recorded;
        for (const JournalEntry& entry : entries) {
            recorded.push_back(entry.after);
        }
        for (const auto& posted : run.posted) {
            EXPECT_THAT(recorded, Contains(std::to_string(posted.first)));
        }
        const JournalEntry& last = entries.back();
        EXPECT_EQ(db::displayText(stored[last.row]), last.after) << described(last);
        const std::string bytes = test::fileBytes(journalFile);
        EXPECT_EQ(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')),
                  entries.size() + 1)
            << "every line but the header is a whole entry";
    }
}

}  // namespace
}  // namespace zlt::competition

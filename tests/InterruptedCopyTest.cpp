// Copies cut short by a power cut or a killed program, with the real engine: the database
// left in the engine's backup mode and the copy's work files left in "zalohy" are mended
// before the next copy and when the event is opened, the operator is told once, and
// nothing typed is lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <fstream>

#include "competition/Backups.h"
#include "competition/Competition.h"
#include "competition/CopyProof.h"
#include "database/Connection.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Services.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/Database.h"
#include "tests/support/InterruptedCopy.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Validation.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const QString kMended = QStringLiteral(
    "Předchozí záloha byla přerušena (výpadek nebo ukončení programu); databáze byla vrácena "
    "do běžného stavu a nedokončená záloha smazána.");

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

// How many times the text occurs in the output.
int count(const std::string& output, const QString& text) {
    const std::string wanted = text.toStdString();
    int found = 0;
    for (std::size_t at = output.find(wanted); at != std::string::npos;
         at = output.find(wanted, at + 1)) {
        ++found;
    }
    return found;
}

class InterruptedCopy : public ::testing::Test {
protected:
    InterruptedCopy() { test::ensureCoreApplication(); }

    fs::path database() const { return folder.database(); }
    fs::path own() const { return folder.path() / Backups::kFolder; }

    Outcome zltEvent(const char* command) {
        QProcess process;
        process.start(QStringLiteral(ZLT_EVENT_TOOL),
                      {QString::fromLatin1(command), QString::fromStdString(folder.path())});
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // What the operator typed before the copy was cut short.
    void typeResults() {
        test::execute(database(),
                      "UPDATE DATAZLT SET DRUZSTVO = 'Lhota', BOD1 = 1 WHERE CISLO = 1");
        test::execute(database(), "UPDATE DATAZLT SET DRUZSTVO = 'Žďár', BOD1 = 2 WHERE CISLO = 2");
    }
    std::vector<std::string> teams() const {
        std::vector<std::string> names;
        const int position = *db::preliminaryFields().positionOf("DRUZSTVO");
        for (const auto& row : test::storedRows(database(), db::preliminaryFields(), "CISLO")) {
            const std::string name = db::displayText(row[static_cast<std::size_t>(position)]);
            if (!name.empty()) {
                names.push_back(name);
            }
        }
        return names;
    }

    // The files in "zalohy" that are no copy, and the engine's changes file beside the
    // database.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        std::error_code error;
        for (fs::directory_iterator entry(own(), error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->path().extension() != ".GDB") {
                names.push_back(entry->path().filename().string());
            }
        }
        if (fs::exists(fs::path(database()) += ".delta")) {
            names.push_back("ZLT04.GDB.delta");
        }
        return names;
    }

    // The engine's own check of every page, with nothing of this process attached.
    void expectSound(const fs::path& file) const {
        const test::Validation validation = test::validate(file);
        EXPECT_TRUE(validation.sound()) << file << ": " << validation.output;
    }

    void interruptCopy() {
        typeResults();
        ASSERT_TRUE(test::killCopyMidway(folder.path(), ZLT_EVENT_TOOL))
            << "the copy ended before the kill every time";
        ASSERT_THAT(leftovers(), Not(IsEmpty())) << "the killed copy left its backup file";
    }

    test::TempEventFolder folder;
};

TEST_F(InterruptedCopy, TheNextCopyEndsTheBackupModeRemovesTheWorkFilesAndLosesNothing) {
    interruptCopy();
    // Not a copy's work file, though it looks like one: only the copies' own are removed.
    std::ofstream(own() / "poznamka.GDB.part") << "x";
    {
        // The program as it runs: its rows open on its own attachment.
        db::Connection connection;
        connection.setPath(database().string());
        db::ResultSet rows("IBOQuery1", connection, db::preliminaryFields(),
                           "SELECT * FROM DATAZLT");
        rows.open();
        Backups backups(connection, folder.path());
        int told = 0;
        QObject::connect(&backups, &Backups::statusChanged, [&] { ++told; });

        const std::optional<fs::path> copy = backups.takeCopy();
        ASSERT_TRUE(copy) << backups.problem().toStdString();
        EXPECT_EQ(backups.problem(), kMended);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(db::backupModeOf(database()), db::BackupMode::Normal);
        EXPECT_THAT(leftovers(), ElementsAre("poznamka.GDB.part"));
        EXPECT_EQ(proveCopy(*copy).teams, 2);
        expectSound(*copy);

        ASSERT_TRUE(backups.takeCopy()) << backups.problem().toStdString();
        EXPECT_EQ(backups.problem(), QString()) << "told once, not at every copy";
        EXPECT_EQ(told, 2);
    }
    expectSound(database());
    EXPECT_THAT(teams(), ElementsAre("Lhota", "Žďár"));
}

TEST_F(InterruptedCopy, TheNextBackupCommandSucceedsAndSaysOnceWhatItMended) {
    interruptCopy();

    const Outcome again = zltEvent("backup");
    ASSERT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(count(again.out, kMended), 1) << again.out;
    EXPECT_THAT(again.out, HasSubstr("Záloha uložena"));
    EXPECT_THAT(leftovers(), IsEmpty());
    EXPECT_EQ(Backups::copiesOf(folder.path()).size(), 1u);
    EXPECT_EQ(proveCopy(Backups::copiesOf(folder.path()).at(0).file).teams, 2);

    const Outcome later = zltEvent("backup");
    ASSERT_EQ(later.exitCode, 0) << later.out << later.err;
    EXPECT_EQ(count(later.out, kMended), 0) << later.out;
    expectSound(database());
    EXPECT_THAT(teams(), ElementsAre("Lhota", "Žďár"));
}

TEST_F(InterruptedCopy, OpeningTheEventMendsItBeforeAnyCopyAndTellsUntilTheNextOne) {
    interruptCopy();
    const fs::path restoreLeftover = fs::path(database()) += ".obnova";
    std::ofstream(restoreLeftover) << "a copy a restore cut short had proven";
    {
        const test::WorkingDirectory inFolder(folder.path());
        Competition competition;
        int told = 0;
        QObject::connect(&competition.backups(), &Backups::statusChanged, [&] { ++told; });

        competition.openPreliminary();
        EXPECT_EQ(db::backupModeOf(database()), db::BackupMode::Normal);
        EXPECT_THAT(leftovers(), IsEmpty());
        EXPECT_FALSE(fs::exists(restoreLeftover));
        EXPECT_TRUE(competition.backups().copies().empty()) << "mended before any copy";
        EXPECT_EQ(competition.backups().problem(), kMended);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(competition.preliminary().recordCount(), 30);

        // The start copy: the windows show its status, which still tells what was mended.
        QCoreApplication::processEvents();
        ASSERT_EQ(competition.backups().copies().size(), 1u) << "the start copy was taken";
        EXPECT_EQ(competition.backups().problem(), kMended);
        EXPECT_EQ(told, 2);
        // The exit copy: nothing more to tell.
        ASSERT_TRUE(competition.backups().takeCopy());
        EXPECT_EQ(competition.backups().problem(), QString());
        competition.closeDatabase();
    }
    expectSound(database());
    EXPECT_THAT(teams(), ElementsAre("Lhota", "Žďár"));
}

// What was typed while the database was in the backup mode lives only in the changes file
// beside it, until the backup mode ends and merges it back.
TEST_F(InterruptedCopy, ACommandOpeningTheEventMergesWhatWasWrittenInTheBackupModeAndSaysSoOnce) {
    typeResults();
    ASSERT_TRUE(test::killInBackupMode(
        database(), "UPDATE DATAZLT SET DRUZSTVO = 'Ves', BOD1 = 3 WHERE CISLO = 3;"));
    ASSERT_EQ(db::backupModeOf(database()), db::BackupMode::Stalled);
    ASSERT_THAT(leftovers(), ElementsAre("ZLT04.GDB.delta"));

    const Outcome journal = zltEvent("journal");
    ASSERT_EQ(journal.exitCode, 0) << journal.out << journal.err;
    EXPECT_EQ(
        count(journal.out, QStringLiteral("Předchozí záloha byla přerušena (výpadek nebo ukončení "
                                          "programu); databáze byla vrácena do běžného stavu.")),
        1)
        << journal.out;
    EXPECT_THAT(leftovers(), IsEmpty());
    EXPECT_EQ(db::backupModeOf(database()), db::BackupMode::Normal);
    expectSound(database());
    EXPECT_THAT(teams(), ElementsAre("Lhota", "Žďár", "Ves"));

    const Outcome backup = zltEvent("backup");
    ASSERT_EQ(backup.exitCode, 0) << backup.out << backup.err;
    EXPECT_THAT(backup.out, Not(HasSubstr("přerušena")));
    EXPECT_EQ(proveCopy(Backups::copiesOf(folder.path()).at(0).file).teams, 3);
}

// A power cut can leave the changes file with none of the pages the engine wrote there;
// the engine then refuses to end the backup mode its header still states.
TEST_F(InterruptedCopy, AChangesFileACutEmptiedIsGivenUpAtTheOpeningAndCopiesWorkAgain) {
    typeResults();
    ASSERT_TRUE(test::killInBackupMode(database(), "SELECT 1 FROM RDB$DATABASE;"));
    const fs::path changes = fs::path(database()) += ".delta";
    const auto size = fs::file_size(changes);
    std::ofstream(changes, std::ios::binary | std::ios::trunc) << std::string(size, '\0');
    ASSERT_THROW(db::endBackupMode(database()), db::DatabaseError);

    const Outcome backup = zltEvent("backup");
    ASSERT_EQ(backup.exitCode, 0) << backup.out << backup.err;
    EXPECT_EQ(count(backup.out, QStringLiteral("databáze byla vrácena do běžného stavu")), 1)
        << backup.out;
    EXPECT_EQ(db::backupModeOf(database()), db::BackupMode::Normal);
    EXPECT_THAT(leftovers(), IsEmpty());
    expectSound(database());
    EXPECT_THAT(teams(), ElementsAre("Lhota", "Žďár"));
    EXPECT_EQ(proveCopy(Backups::copiesOf(folder.path()).at(0).file).teams, 2);
}

// Another program holding the database may be in the middle of its own copy: its work
// files are not the opening's to remove.
TEST_F(InterruptedCopy, AnOpeningRefusedBecauseAnotherProgramHoldsTheDatabaseTouchesNothing) {
    fs::create_directory(own());
    const fs::path working = own() / "ZLT04-20260310-101500.GDB.nbk";
    std::ofstream(working) << "pages being copied";
    db::Connection holder;
    holder.setPath(database().string());
    holder.connect();

    const Outcome refused = zltEvent("journal");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("má otevřenou jiný program"));
    EXPECT_THAT(refused.out, Not(HasSubstr("přerušena")));
    EXPECT_TRUE(fs::exists(working));
}

}  // namespace
}  // namespace zlt::competition

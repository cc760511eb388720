// Copies of a real event's database, taken through the embedded engine while it is open.
#include "competition/Backups.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "competition/Competition.h"
#include "competition/EventChoices.h"
#include "competition/Refusal.h"
#include "database/Services.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"
#include "tests/support/Validation.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Optional;

void touch(const fs::path& file) {
    std::ofstream{file};
}

// A small file system mounted for one test, when the test runs as root.
class Mount {
public:
    Mount(const fs::path& folder, unsigned long flags) : folder_(folder) {
        fs::create_directory(folder);
        mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", flags, "size=64k") == 0;
    }
    ~Mount() {
        if (mounted_) {
            umount(folder_.c_str());
        }
    }
    bool mounted() const { return mounted_; }

private:
    fs::path folder_;
    bool mounted_ = false;
};

class BackupsOfAnEvent : public test::CoreInFolder {
protected:
    BackupsOfAnEvent() {
        open();
        QObject::connect(&backups, &Backups::statusChanged, [this] { ++statusSignals; });
    }

    void nameTeam(int row, const std::string& team, int placing) {
        db::ResultSet& rows = competition.preliminary();
        rows.moveTo(row);
        rows.edit();
        rows.setField("DRUZSTVO", team);
        rows.setField("BOD1", std::int32_t{placing});
        rows.post();
    }

    // A copy in "zalohy" that must succeed, and the problem the other folder had.
    fs::path copyWithSecondFolderProblem(const fs::path& second, const char* reason) {
        backups.setSecondFolder(second);
        const std::optional<fs::path> copy = backups.takeCopy();
        EXPECT_TRUE(copy && fs::exists(*copy)) << "the copy in zalohy does not depend on it";
        EXPECT_THAT(backups.problem().toStdString(), HasSubstr(second.string()));
        EXPECT_THAT(backups.problem().toStdString(), HasSubstr(reason));
        EXPECT_THAT(backups.problem().toStdString(), Not(HasSubstr(Backups::kFolder)));
        EXPECT_EQ(statusSignals, 1);
        return copy.value_or(fs::path());
    }

    fs::path own() const { return folder.path() / Backups::kFolder; }

    Backups backups{competition.connection(), folder.path()};
    int statusSignals = 0;
};

TEST_F(BackupsOfAnEvent, ACopyTakenWhileRowsAreWrittenIsSoundAndHoldsEveryCommittedRow) {
    nameTeam(0, "Zeltov", 1);
    std::atomic<int> committed = 0;
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        while (writing) {
            test::execute(folder.database(), "INSERT INTO DATAZLT (CISLO, DRUZSTVO) VALUES (" +
                                                 std::to_string(100 + committed) + ", 'Vlákno')");
            ++committed;
        }
    });
    std::vector<std::pair<fs::path, int>> copies;
    while (copies.size() < 3) {
        const int before = committed;
        const std::optional<fs::path> copy = backups.takeCopy();
        ASSERT_TRUE(copy) << backups.problem().toStdString();
        copies.emplace_back(*copy, before);
    }
    writing = false;
    writer.join();

    EXPECT_GT(committed, copies.front().second) << "the copies overlapped the writes";
    for (const auto& [copy, before] : copies) {
        const test::Validation validation = test::validate(copy);
        EXPECT_TRUE(validation.sound()) << copy << ": " << validation.output;
        const BackupContents contents = proveCopy(copy);
        EXPECT_GE(contents.teams, 1 + before) << copy;
        EXPECT_EQ(contents.placings, 1);
        EXPECT_EQ(fs::status(copy).permissions(), fs::status(folder.database()).permissions());
    }
    EXPECT_EQ(backups.problem(), QString());
    EXPECT_EQ(backups.copies().size(), 3u);
    EXPECT_FALSE(backups.lastCopy().isNull());
}

TEST_F(BackupsOfAnEvent, RotationKeepsTheNewestTwentyAndTheLastCopyOfEachEarlierDay) {
    fs::create_directory(own());
    touch(own() / "ZLT04-20200101-100000.GDB");
    touch(own() / "ZLT04-20200101-120000.GDB");
    touch(own() / "ZLT04-20200101-120000-2.GDB");  // the same second, later
    touch(own() / "ZLT04-20200102-090000.GDB");
    touch(own() / "ZLT04-20200102-180000.GDB");
    for (int minute = 10; minute < 35; ++minute) {
        touch(own() / ("ZLT04-20200103-10" + std::to_string(minute) + "00.GDB"));
    }
    touch(own() / "ZLT04-poznamka.GDB");
    touch(own() / "ZLT04-20200101-100000.GDB.txt");

    const std::optional<fs::path> copy = backups.takeCopy();
    ASSERT_TRUE(copy) << backups.problem().toStdString();

    std::vector<fs::path> expected{*copy};
    for (int minute = 34; minute > 15; --minute) {
        expected.push_back(own() / ("ZLT04-20200103-10" + std::to_string(minute) + "00.GDB"));
    }
    expected.push_back(own() / "ZLT04-20200102-180000.GDB");
    expected.push_back(own() / "ZLT04-20200101-120000-2.GDB");
    std::vector<fs::path> kept;
    for (const BackupCopy& each : backups.copies()) {
        kept.push_back(each.file);
    }
    EXPECT_THAT(kept, ElementsAreArray(expected));
    EXPECT_EQ(backups.copies().back().taken, QDateTime(QDate(2020, 1, 1), QTime(12, 0)));
    EXPECT_TRUE(fs::exists(own() / "ZLT04-poznamka.GDB")) << "only copies' names are touched";
    EXPECT_TRUE(fs::exists(own() / "ZLT04-20200101-100000.GDB.txt"));
}

TEST_F(BackupsOfAnEvent, AWriteCopiesOnlyWhenTheIntervalHasPassedAndTwoInOneSecondKeepBoth) {
    backups.setInterval(std::chrono::hours(1));
    backups.changed();
    backups.changed();
    EXPECT_EQ(backups.copies().size(), 1u);
    backups.setInterval(std::chrono::seconds(0));
    backups.changed();
    backups.changed();
    EXPECT_EQ(backups.copies().size(), 3u) << "nothing overwritten, however fast";
}

TEST_F(BackupsOfAnEvent, AMissingSecondFolderIsNamedAndForgettingItClearsTheProblem) {
    const fs::path stick = folder.path().parent_path() / "USB disk Žluťoučký";
    backups.setSecondFolder(stick);
    EXPECT_EQ(test::fileBytes(choiceFile(EventChoice::SecondBackupFolder)), stick.string() + "\n");
    EXPECT_EQ(backups.secondFolder(), stick);

    copyWithSecondFolderProblem(stick, "složka neexistuje");

    backups.setSecondFolder({});
    EXPECT_FALSE(fs::exists(choiceFile(EventChoice::SecondBackupFolder)));
    ASSERT_TRUE(backups.takeCopy());
    EXPECT_EQ(backups.problem(), QString());
    EXPECT_EQ(statusSignals, 2);
}

TEST_F(BackupsOfAnEvent, ADamagedSecondFolderChoiceIsToldAndTheOwnCopyTaken) {
    std::ofstream(choiceFile(EventChoice::SecondBackupFolder)) << "/media/USB \xE8\n";
    EXPECT_TRUE(backups.takeCopy());
    EXPECT_THAT(backups.problem().toStdString(),
                HasSubstr("Soubor zalohy-druha-slozka.txt, řádek 1: text není v kódování UTF-8."));
}

TEST_F(BackupsOfAnEvent, AnUnwritableSecondFolderIsNamed) {
    const fs::path share = folder.path().parent_path() / "sdílená";
    // Root writes into any folder whatever its mode; a read-only mount stops it.
    std::optional<Mount> readOnly;
    if (geteuid() == 0) {
        readOnly.emplace(share, MS_RDONLY);
        if (!readOnly->mounted()) {
            GTEST_SKIP() << "as root only a read-only mount is unwritable, and mounting failed";
        }
        copyWithSecondFolderProblem(share, "disk je jen ke čtení");
    } else {
        fs::create_directory(share);
        fs::permissions(share, fs::perms::owner_read | fs::perms::owner_exec);
        copyWithSecondFolderProblem(share, "nemáte právo zápisu");
    }
}

TEST_F(BackupsOfAnEvent, AFullSecondFolderIsNamedAndLeavesNoPartOfTheCopy) {
    const fs::path stick = folder.path().parent_path() / "malý disk";
    Mount tiny(stick, 0);
    if (!tiny.mounted()) {
        GTEST_SKIP() << "a full disk needs a tiny tmpfs, which only root can mount";
    }
    copyWithSecondFolderProblem(stick, "disk je plný");
    EXPECT_TRUE(fs::is_empty(stick));
    EXPECT_EQ(db::backupModeOf(folder.database()), db::BackupMode::Normal)
        << "a failed copy leaves the database out of the backup mode";
}

TEST_F(BackupsOfAnEvent, RestoringPutsTheCopyInPlaceAfterACopyOfTheDatabaseAsItWas) {
    nameTeam(0, "Zeltov", 1);
    const fs::path chosen = backups.takeCopy().value();
    nameTeam(1, "Horní Zeltov", 2);

    const fs::path before = backups.restore(backups.prepareRestore(chosen));

    EXPECT_NE(before, chosen);
    EXPECT_EQ(proveCopy(before).teams, 2);
    EXPECT_FALSE(competition.connection().connected()) << "the caller reopens its result sets";
    const auto rows = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    EXPECT_EQ(
        db::displayText(rows.at(0).at(db::preliminaryFields().positionOf("DRUZSTVO").value())),
        "Zeltov");
    EXPECT_EQ(proveCopy(folder.database()).teams, 1);
    EXPECT_FALSE(fs::exists(fs::path(folder.database()) += ".obnova"));
    competition.preliminary().close();
    competition.openPreliminary();
    EXPECT_EQ(competition.preliminary().recordCount(), 30);
}

TEST_F(BackupsOfAnEvent, ARestoreWithoutACopyOfTheDatabaseAsItIsIsRefused) {
    const fs::path chosen = folder.path().parent_path() / "vybraná.GDB";
    fs::copy_file(backups.takeCopy().value(), chosen);
    nameTeam(0, "Zeltov", 1);
    fs::remove_all(own());
    touch(own());  // a file where the folder should be

    EXPECT_THAT(
        test::thrownMessage<Refusal>([&] { backups.restore(backups.prepareRestore(chosen)); }),
        Optional(HasSubstr("Před obnovou se nepodařilo zálohovat současnou databázi")));
    EXPECT_EQ(proveCopy(folder.database()).teams, 1) << "the database stays as it was";
}

TEST(NewEventDatabase, HasForcedWrites) {
    test::TempEventFolder folder;
    db::Connection connection;
    connection.setPath(folder.database().string());
    const db::FieldList fields("MON$DATABASE",
                               {{"MON$FORCED_WRITES", db::FieldType::Integer, 0, ""}});
    db::ResultSet flag("check", connection, fields, "SELECT * FROM MON$DATABASE");
    flag.open();
    EXPECT_EQ(db::displayText(flag.value(0, 0)), "1");
}

}  // namespace
}  // namespace zlt::competition

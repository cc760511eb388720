// The competition core on its own: no window exists in this test program.
#include "competition/Competition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "competition/EventChoices.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Optional;

class CompetitionCore : public test::CoreInFolder {
protected:
    // Every signal of the details, in the order they came.
    void watchDetails() {
        EventDetails& details = competition.details();
        QObject::connect(&details, &EventDetails::loaded, [this] { signals_.push_back("loaded"); });
        QObject::connect(&details, &EventDetails::confirmed,
                         [this] { signals_.push_back("confirmed"); });
        QObject::connect(&details, &EventDetails::withdrawn,
                         [this] { signals_.push_back("withdrawn"); });
        QObject::connect(&details, &EventDetails::mainWindowPictureChanged,
                         [this] { signals_.push_back("picture"); });
    }

    std::vector<std::string> signals_;
};

TEST_F(CompetitionCore, ConfirmingSavesTheLiveTextsAndTellsTheWindowsOnce) {
    EventDetails& details = competition.details();
    watchDetails();
    details.load();
    EXPECT_EQ(details.edition(), QStringLiteral("1"));
    EXPECT_TRUE(details.summer());
    EXPECT_FALSE(details.Potvrzeno()) << "reading the file confirms nothing";

    details.setText(EventDetails::Edition, QStringLiteral("50"));
    details.setText(EventDetails::FirstFinalDiscipline + 2, QStringLiteral("Skok přes kozu"));
    EXPECT_EQ(details.finalDisciplineName(3), QStringLiteral("Skok přes kozu"))
        << "the sheets print the texts as typed, before any confirmation";
    QImage picture(4, 4, QImage::Format_RGB32);
    details.confirm(false, false, picture, picture);

    EXPECT_TRUE(details.Potvrzeno());
    EXPECT_THAT(signals_, ElementsAre("loaded", "confirmed", "picture"));
    const std::string saved = test::fileBytes(kSettingsFile);
    EXPECT_THAT(saved, ::testing::StartsWith("50\r\n"));
    EXPECT_THAT(saved, HasSubstr("Skok p\xF8\x65s kozu\r\nPenalizace NE\r\nZimni hry\r\n"));

    details.withdraw();
    EXPECT_FALSE(details.Potvrzeno());
    EXPECT_EQ(test::fileBytes(kSettingsFile), saved) << "withdrawing never writes the file";
    EXPECT_EQ(signals_.back(), "withdrawn");
}

TEST_F(CompetitionCore, AConfirmationThatCannotBeSavedChangesNothing) {
    EventDetails& details = competition.details();
    details.load();
    watchDetails();
    const QImage picture(4, 4, QImage::Format_RGB32);

    details.setText(EventDetails::Place, QStringLiteral("Lhota\nDolní"));
    try {
        details.confirm(true, true, picture, picture);
        FAIL() << "a line break was saved";
    } catch (const UnsavableText& refused) {
        EXPECT_EQ(refused.line(), std::size_t{EventDetails::Place});
    }
    details.setText(EventDetails::Place, QStringLiteral("Lhota"));
    details.setText(EventDetails::FirstDiscipline + 1, QStringLiteral("Бег"));
    EXPECT_THAT(
        test::thrownMessage<UnsavableText>([&] { details.confirm(true, true, picture, picture); }),
        Optional(HasSubstr("Windows-1250")));

    // A folder where the file should be is found out before anything is applied.
    details.setText(EventDetails::FirstDiscipline + 1, QStringLiteral("Běh"));
    fs::remove(kSettingsFile);
    fs::create_directory(kSettingsFile);
    EXPECT_EQ(test::thrownMessage([&] { details.confirm(true, true, picture, picture); }),
              "Cannot create file Nastaveni.txt");

    EXPECT_TRUE(signals_.empty());
    EXPECT_FALSE(details.Potvrzeno());
    EXPECT_TRUE(fs::is_empty(kSettingsFile)) << "no temporary file is left behind";
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 6)
        << "the database, the folder and the four pictures";
}

TEST_F(CompetitionCore, TotalsFollowEachTablesRuleByFieldName) {
    test::execute(folder.database(),
                  "UPDATE DATAZLT SET BOD1 = 1, BOD2 = -4, BOD3 = 3, BOD6 = 6, PENALIZACE = 10 "
                  "WHERE CISLO = 1");
    test::execute(folder.database(), "UPDATE DATAZLTF SET FBOD1 = 2, FBOD3 = 5, FPOCATEK = 7");
    competition.openPreliminary();
    competition.openFinals();

    competition.recomputeTotal(competition.preliminary());
    EXPECT_EQ(competition.preliminary().field(competition.preliminary().fieldPosition("CELKEM")),
              db::FieldValue(20));
    competition.recomputeTotal(competition.finals());
    EXPECT_EQ(competition.finals().field(competition.finals().fieldPosition("FCELKEM")),
              db::FieldValue(14))
        << "the starting value counts in the finals total";
}

// The typed placings and their total are one commit: whatever stops the total after the
// placings were sent leaves neither in the database, and the operator still has the row
// as typed over what the table holds.
TEST_F(CompetitionCore, AnEnterStoppedAfterTheTypedRowWasSentWritesNothing) {
    competition.openPreliminary();
    db::ResultSet& rows = competition.preliminary();
    const int bod1 = rows.fieldPosition("BOD1");
    const int celkem = rows.fieldPosition("CELKEM");
    const auto storedFirst = [&] {
        return test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")[0];
    };
    rows.edit();
    rows.setField(bod1, std::string("3"));
    // Another table's placing makes the total too big, seen only once the rows are re-read.
    test::execute(folder.database(),
                  "UPDATE DATAZLT SET BOD2 = 2147483647, CELKEM = 5 WHERE CISLO = 1");
    EXPECT_THAT(test::thrownMessage<Refusal>([&] { competition.recomputeTotal(rows); }),
                Optional(HasSubstr("2147483650")));
    EXPECT_TRUE(db::isNull(storedFirst()[bod1])) << "the typed placing is not committed";
    EXPECT_EQ(storedFirst()[celkem], db::FieldValue(5));
    EXPECT_EQ(rows.state(), db::DataSetState::Edit);
    EXPECT_EQ(rows.field(bod1), db::FieldValue(std::string("3")));
    EXPECT_EQ(rows.field(rows.fieldPosition("BOD2")), db::FieldValue(2147483647));

    // The engine refusing the total itself.
    test::execute(folder.database(), "UPDATE DATAZLT SET BOD2 = NULL WHERE CISLO = 1");
    rows.reread();
    test::execute(folder.database(), "CREATE EXCEPTION NO_TOTAL 'total refused'");
    test::execute(folder.database(),
                  "CREATE TRIGGER NO_TOTAL_UPDATE FOR DATAZLT BEFORE UPDATE AS BEGIN "
                  "IF (NEW.CELKEM IS DISTINCT FROM OLD.CELKEM) THEN EXCEPTION NO_TOTAL; END");
    EXPECT_THAT(test::thrownMessage<std::exception>([&] { competition.recomputeTotal(rows); }),
                Optional(HasSubstr("total refused")));
    EXPECT_TRUE(db::isNull(storedFirst()[bod1]));
    EXPECT_EQ(rows.field(bod1), db::FieldValue(std::string("3")));
    EXPECT_EQ(rows.recNo(), 0);

    // A new row goes with its total too: refused, it is neither stored nor dropped.
    rows.cancel();
    rows.append();
    rows.setField("CISLO", 31);
    rows.setField(bod1, 4);
    EXPECT_THROW(competition.recomputeTotal(rows), std::exception);
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO").size(), 30u);
    EXPECT_EQ(rows.state(), db::DataSetState::Insert);
    EXPECT_EQ(rows.recNo(), 30);
    EXPECT_EQ(rows.field(bod1), db::FieldValue(4));
    EXPECT_TRUE(journalLines().empty()) << "nothing rolled back is journalled";

    test::execute(folder.database(), "DROP TRIGGER NO_TOTAL_UPDATE");
    competition.recomputeTotal(rows);
    const auto stored = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    ASSERT_EQ(stored.size(), 31u);
    EXPECT_EQ(stored[30][celkem], db::FieldValue(4));
    EXPECT_THAT(journalLines(), ElementsAre("nový řádek|DATAZLT|31|||", "úprava|DATAZLT|31|BOD1||4",
                                            "úprava|DATAZLT|31|CELKEM||4"));
}

TEST_F(CompetitionCore, BothTablesShareOneSortDirection) {
    competition.openPreliminary();
    competition.openFinals();
    competition.sortByTitle(competition.preliminary(), 0);
    EXPECT_EQ(competition.preliminary().sql(), "SELECT * FROM DATAZLT ORDER BY CISLO ASC");
    competition.sortByTitle(competition.finals(), 0);
    EXPECT_EQ(competition.finals().sql(), "SELECT * FROM DATAZLTF ORDER BY DRUZSTVO DESC");
    competition.sortByTitle(competition.preliminary(), 0);
    EXPECT_EQ(competition.preliminary().sql(), "SELECT * FROM DATAZLT ORDER BY CISLO ASC");
    EXPECT_TRUE(competition.Sestupne);
}

TEST_F(CompetitionCore, TheDatabaseIsTheOneGivenElseTheOneTheFolderKeepsElseItsOwnFile) {
    EXPECT_EQ(competition.databaseLocation(), (folder.path() / kDatabaseFile).string());
    keepDatabaseLocation(folder.path(), "server/3051:/data/zlt.fdb");
    EXPECT_EQ(Competition().databaseLocation(), "server/3051:/data/zlt.fdb");
    EXPECT_EQ(Competition("localhost:zlt").databaseLocation(), "localhost:zlt");
    keepDatabaseLocation(folder.path(), "");
    EXPECT_FALSE(fs::exists(folder.path() / choiceFile(EventChoice::DatabaseLocation)))
        << "forgotten";

    fs::create_directory(folder.path() / "blocked");
    EXPECT_THAT(test::thrownMessage<Refusal>(
                    [&] { keepDatabaseLocation(folder.path() / "blocked" / "missing", "x:y"); }),
                Optional(HasSubstr("Umístění databáze nelze uložit")));
}

TEST_F(CompetitionCore, TheResetRefillsTheTablesTheNewEventToolMakes) {
    const auto fresh = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Lhota', CELKEM = 3");
    test::execute(folder.database(), "DELETE FROM DATAZLTF WHERE FPORADI IS NULL");
    competition.openPreliminary();
    competition.openFinals();
    competition.resetDatabase();
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO"), fresh);
    EXPECT_EQ(test::storedRows(folder.database(), db::finalsFields(), "DRUZSTVO").size(), 12u);
}

}  // namespace
}  // namespace zlt::competition

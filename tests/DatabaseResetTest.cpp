#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "finals/Finale.h"
#include "settings/Nastaveni.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Validation.h"

namespace zlt::test {
namespace {

using platform::DialogButton;
using ::testing::HasSubstr;

// The tables before a reset: an earlier event's teams, numbered from 101.
void fillEarlierEvent(const std::filesystem::path& database) {
    execute(database, "UPDATE DATAZLT SET CISLO = CISLO + 100, DRUZSTVO = 'Lhota'");
    execute(database, "INSERT INTO DATAZLTF (DRUZSTVO, FBOD1) VALUES ('Ves', 3)");
}

// Runs the reset in a process of its own that is killed at its N-th field (0: never).
// Returns the signal that ended it, or 0 when it exited normally.
int resetKilledAt(const std::filesystem::path& database, int field) {
    const pid_t child = fork();
    if (child == 0) {
        const std::string number = std::to_string(field);
        execl(ZLT_RESET_CRASH, ZLT_RESET_CRASH, database.c_str(), number.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : (WEXITSTATUS(status) == 0 ? 0 : -1);
}

std::vector<db::FieldValue> column(const std::vector<std::vector<db::FieldValue>>& rows,
                                   int position) {
    std::vector<db::FieldValue> values;
    for (const auto& row : rows) {
        values.push_back(row[position]);
    }
    return values;
}

TEST(ResetCrash, AKilledResetLeavesTheOldEventOrTheNewOneNeverAMix) {
    TempEventFolder folder;
    fillEarlierEvent(folder.database());
    const auto oldPreliminary = storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    const auto oldFinals = storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY");
    // In the preliminary refill, at its last row, and in the finals refill.
    for (int field : {11, 30, 35}) {
        ASSERT_EQ(resetKilledAt(folder.database(), field), SIGKILL) << field;
        const Validation validation = validate(folder.database());
        EXPECT_TRUE(validation.sound()) << "killed at field " << field << ": " << validation.output;
        EXPECT_EQ(storedRows(folder.database(), db::preliminaryFields(), "CISLO"), oldPreliminary)
            << "killed at field " << field;
        EXPECT_EQ(storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY"), oldFinals)
            << "killed at field " << field;
    }
    ASSERT_EQ(resetKilledAt(folder.database(), 0), 0);
    const auto preliminary = storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    ASSERT_EQ(preliminary.size(), 30u);
    EXPECT_EQ(preliminary[29][0], db::FieldValue(30));
    EXPECT_EQ(storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY").size(), 12u);
}

class ResetWindow : public MainWindowFixture {
protected:
    void resetFromSettings() {
        inSettings([&] {
            dialogs.answer(DialogButton::Yes);
            op::click(*frmNastaveni->btnDelete);
        });
    }
};

TEST_F(ResetWindow, ATableMissingAColumnIsRefusedBeforeAnythingIsDeleted) {
    fillEarlierEvent(folder.database());
    execute(folder.database(), "ALTER TABLE DATAZLT DROP BOD6");
    startProgram();
    ASSERT_FALSE(rows().active()) << "the results cannot be read without BOD6";
    dialogs.requests.clear();
    resetFromSettings();
    ASSERT_EQ(dialogs.requests.size(), 2u) << "the question, then the refusal";
    EXPECT_THAT(dialogs.requests[1].text.toStdString(),
                HasSubstr("Databázi nelze vymazat: tabulku DATAZLT nelze přečíst"));
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("Nic nebylo smazáno."));
    execute(folder.database(), "ALTER TABLE DATAZLT ADD BOD6 INTEGER");
    const auto preliminary = stored();
    ASSERT_EQ(preliminary.size(), 30u);
    EXPECT_EQ(preliminary[0][0], db::FieldValue(101));
    EXPECT_EQ(storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY").size(), 13u);
}

TEST_F(ResetWindow, ARefusedRowRollsTheWholeResetBack) {
    fillEarlierEvent(folder.database());
    // The finals refill is refused at its first row; the preliminary one had gone through.
    execute(folder.database(), "ALTER TABLE DATAZLTF ADD CONSTRAINT NAMED CHECK (DRUZSTVO <> ' ')");
    startProgram();
    const auto before = stored();
    dialogs.requests.clear();
    resetFromSettings();
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("NAMED"));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(column(stored(), 0), column(before, 0));
    EXPECT_EQ(rows().recordCount(), 30);
    EXPECT_EQ(rows().value(0, 0), db::FieldValue(101)) << "the grid shows the table as it is";
    EXPECT_EQ(frmFinale->IBOQueryF.recordCount(), 13);
}

}  // namespace
}  // namespace zlt::test

#include <gmock/gmock.h>

#include <QApplication>
#include <filesystem>

#include "app/Nastroje.h"
#include "competition/EventFiles.h"
#include "settings/Nastaveni.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using platform::DialogButton;
using ::testing::HasSubstr;

constexpr int CISLO = 0, BOD1 = 4;

class ToolsWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }

    void typePlacing(int row, const QString& placing) {
        selectCell(row, BOD1);
        type(placing);
        press(Qt::Key_Return);
    }
    db::FieldValue storedPlacing(int row) { return stored()[static_cast<std::size_t>(row)][BOD1]; }

    void openTools() {
        op::click(*frmHlavni->btnNastroje);
        ASSERT_TRUE(frmNastroje->isVisible());
    }
    void backUpNow() { op::click(*frmNastroje->btnZalohovat); }
    void resetFromSettings() {
        inSettings([&] {
            dialogs.answer(DialogButton::Yes);
            op::click(*frmNastaveni->btnDelete);
        });
    }
    // Selects the copy in that row of the list, newest first, and restores it.
    void restore(int copy) {
        QTableWidget& list = *frmNastroje->gridZalohy;
        ASSERT_LT(copy, list.rowCount());
        const QRect cell = list.visualRect(list.model()->index(copy, 0));
        op::clickAt(*frmNastroje, list.viewport()->mapTo(frmNastroje, cell.center()));
        ASSERT_EQ(list.currentRow(), copy);
        op::click(*frmNastroje->btnObnovit);
    }
};

TEST_F(ToolsWindow, ItsButtonComesAfterEveryCommandAndOpensBesideTheMainWindow) {
    EXPECT_EQ(frmHlavni->btnNastaveni->nextInFocusChain(), frmHlavni->btnNastroje);
    EXPECT_EQ(frmHlavni->btnNastroje->text(), QStringLiteral("Nástroje"));
    EXPECT_EQ(frmHlavni->btnNastroje->toolTip(), QStringLiteral("Zálohy, pořadí, import a export"));
    EXPECT_GT(frmHlavni->btnNastroje->y(), frmHlavni->Bevel1->geometry().bottom());
    openTools();
    EXPECT_FALSE(frmNastroje->isModal());
    EXPECT_TRUE(frmHlavni->isEnabled()) << "the operator goes on typing while it is open";
    EXPECT_THAT(frmNastroje->lblZalohy->text().toStdString(), HasSubstr("Poslední záloha"))
        << "a copy is taken when the database opens";
}

TEST_F(ToolsWindow, RestoringTheCopyFromBeforeAResetBringsThePlacingBack) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    resetFromSettings();
    ASSERT_TRUE(db::isNull(storedPlacing(0)));

    frmHlavni->activateWindow();
    openTools();
    dialogs.requests.clear();
    dialogs.answer(DialogButton::Yes);
    // Changes in the copy's own second are offered again; the reset never is.
    dialogs.answer(DialogButton::No);
    restore(0);
    for (const auto& request : dialogs.requests) {
        EXPECT_THAT(request.text.toStdString(), ::testing::Not(HasSubstr("vymazání")));
    }
    EXPECT_EQ(storedPlacing(0), db::FieldValue(3));
    EXPECT_EQ(rows().value(0, BOD1), db::FieldValue(3)) << "the grid shows the restored rows";
    EXPECT_EQ(rows().recordCount(), 30);

    // The grid goes on working on the restored database.
    frmHlavni->activateWindow();
    typePlacing(1, QStringLiteral("7"));
    EXPECT_EQ(storedPlacing(1), db::FieldValue(7));
}

TEST_F(ToolsWindow, ChangesAfterTheCopyAreShownAndMadeAgainOnYes) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    frmHlavni->activateWindow();
    typePlacing(0, QStringLiteral("5"));
    typePlacing(2, QStringLiteral("8"));
    const auto before = stored();

    openTools();
    dialogs.requests.clear();
    dialogs.answer(DialogButton::Yes);  // restore
    dialogs.answer(DialogButton::Yes);  // make the later changes again
    restore(0);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("BOD1: 3 → 5"));
    EXPECT_EQ(stored(), before);
}

TEST_F(ToolsWindow, ARestoreCanItselfBeUndone) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    frmHlavni->activateWindow();
    typePlacing(0, QStringLiteral("5"));
    const auto before = stored();

    openTools();
    dialogs.answer(DialogButton::Yes);
    dialogs.answer(DialogButton::No);
    restore(0);
    EXPECT_EQ(storedPlacing(0), db::FieldValue(3)) << "the later change was not made again";

    // The newest copy is the database as it was just before the restore.
    dialogs.answer(DialogButton::Yes);
    dialogs.answer(DialogButton::No);
    restore(0);
    EXPECT_EQ(stored(), before);
}

TEST_F(ToolsWindow, ACopyThatFailsIsToldInBothWindowsAndTheWorkGoesOn) {
    openTools();
    dialogs.answerInputs(QString::fromStdString((folder.path() / "odpojený disk").string()));
    op::click(*frmNastroje->btnDruhaSlozka);
    EXPECT_THAT(frmNastroje->lblZalohy->text().toStdString(), HasSubstr("odpojený disk"));
    EXPECT_TRUE(frmHlavni->lblZaloha->isVisibleTo(frmHlavni));
    EXPECT_THAT(frmHlavni->lblZaloha->toolTip().toStdString(), HasSubstr("odpojený disk"));
    const auto copies =
        std::distance(fs::directory_iterator(folder.path() / "zalohy"), fs::directory_iterator());

    frmHlavni->activateWindow();
    dialogs.requests.clear();
    typePlacing(0, QStringLiteral("4"));
    EXPECT_EQ(storedPlacing(0), db::FieldValue(4));
    EXPECT_TRUE(dialogs.requests.empty()) << "no box after a write";
    EXPECT_GE(
        std::distance(fs::directory_iterator(folder.path() / "zalohy"), fs::directory_iterator()),
        copies)
        << "the event folder's own copies go on";
}

TEST_F(ToolsWindow, ADatabaseServerChosenHereIsKeptForTheNextStart) {
    openTools();
    dialogs.answerInputs(QStringLiteral("server/3051:/data/zlt.fdb"));
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "server/3051:/data/zlt.fdb");
    EXPECT_THAT(frmNastroje->lblDatabaze->text().toStdString(),
                HasSubstr("Od příštího spuštění: server/3051:/data/zlt.fdb"));
    EXPECT_EQ(competition().databaseLocation(), folder.database().string())
        << "the database in use is not switched under the operator's hands";

    dialogs.answerInputs(QString());  // cancelled
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "server/3051:/data/zlt.fdb");
    dialogs.answerInputs(QStringLiteral(""));
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "") << "back to the folder's file";
}

}  // namespace
}  // namespace zlt::test

#include <gmock/gmock.h>

#include <QApplication>
#include <QLineEdit>

#include "database/DatabaseError.h"
#include "finals/Finale.h"
#include "platform/SystemColors.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

using platform::DialogButton;
using ::testing::HasSubstr;

constexpr int CISLO = 0, DRUZSTVO = 1, BOD1 = 4, BOD2 = 6, BOD3 = 8, CELKEM = 15;

class MainWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }

    // The database file gone under the program, then 3 typed as the first team's placing.
    void placeAfterTheDatabaseVanished() {
        std::filesystem::remove(folder.database());
        selectCell(0, BOD1);
        type("3");
        press(Qt::Key_Return);
    }
};

TEST_F(MainWindow, ATotalBeyond32BitsIsRefusedAndNothingWritten) {
    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 2147483647, BOD2 = 1 WHERE CISLO = 1");
    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("2147483648"));
    EXPECT_TRUE(db::isNull(stored()[0][CELKEM]));
    EXPECT_EQ(rows().state(), db::DataSetState::Browse);

    // A placing still being typed counts too: it is not written beside an old total.
    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 2000000000, BOD2 = NULL, CELKEM = 5");
    rows().refresh();
    selectCell(1, BOD1 + 2);
    type("2000000000");
    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("4000000000"));
    EXPECT_TRUE(db::isNull(stored()[1][BOD1 + 2])) << "the typed placing is not written";
    EXPECT_EQ(stored()[1][CELKEM], db::FieldValue(5));
    EXPECT_EQ(rows().state(), db::DataSetState::Edit) << "the row keeps what was typed";
}

// The text in the cell editor, which must hold the keyboard focus.
QString focusedEditorText() {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return editor != nullptr ? editor->text() : QStringLiteral("<no editor has the focus>");
}

TEST_F(MainWindow, AnotherTablesCommitReachesTheGridWhileACellIsBeingTyped) {
    selectCell(2, BOD1);
    type("4");
    execute(folder.database(), "UPDATE DATAZLT SET BOD2 = 3 WHERE CISLO = 3");
    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Orel' WHERE CISLO = 6");
    competition().live().databaseChanged();
    QApplication::processEvents();

    EXPECT_EQ(grid().model()->index(5, DRUZSTVO).data().toString(), "Orel");
    EXPECT_EQ(grid().model()->index(2, BOD2).data().toString(), "3");
    EXPECT_EQ(focusedEditorText(), "4");
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(2, BOD1));

    type("2");
    press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(stored()[2][BOD1], db::FieldValue(42));
    EXPECT_EQ(stored()[2][CELKEM], db::FieldValue(45)) << "with the other table's placing";

    // A new row elsewhere rebuilds the grid, which closes the editor: its text stays in the
    // row being typed, and the grid keeps the keyboard and the cell.
    press(Qt::Key_Return);
    type("7");
    execute(folder.database(), "INSERT INTO DATAZLT (CISLO) VALUES (31)");
    competition().live().databaseChanged();
    QApplication::processEvents();
    EXPECT_EQ(grid().model()->rowCount(), 31);
    EXPECT_EQ(QApplication::focusWidget(), &grid());
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(2, BOD1));
    EXPECT_EQ(rows().state(), db::DataSetState::Edit);
    EXPECT_EQ(rows().field(BOD1), db::FieldValue(std::string("7")));
}

TEST_F(MainWindow, APlacingAnotherTableChangedIsShownAndOverwrittenOnlyByASecondEnter) {
    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 3 WHERE CISLO = 7");
    rows().refresh();
    selectCell(6, BOD1);
    type("4");
    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 5 WHERE CISLO = 7");

    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(),
                HasSubstr("1.Pořadí je nyní 5 (vy jste viděli 3). Vaše hodnota 4"));
    EXPECT_EQ(focusedEditorText(), "4");
    EXPECT_EQ(stored()[6][BOD1], db::FieldValue(5));

    press(Qt::Key_Return);
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(stored()[6][BOD1], db::FieldValue(4));
    EXPECT_EQ(stored()[6][CELKEM], db::FieldValue(4));
}

TEST_F(MainWindow, TheColumnChoiceCascades) {
    op::click(*frmHlavni->cbNDisc[2]);
    EXPECT_FALSE(grid().isColumnVisible(7));
    EXPECT_FALSE(grid().isColumnVisible(8));
    EXPECT_TRUE(grid().isColumnVisible(9));
    EXPECT_TRUE(frmHlavni->cbDisc->isChecked()) << "one box leaves the master box alone";

    op::click(*frmHlavni->cbDisc);
    for (int column = 3; column <= 14; ++column) {
        EXPECT_FALSE(grid().isColumnVisible(column)) << column;
    }
    for (QCheckBox* box : frmHlavni->cbNDisc) {
        EXPECT_FALSE(box->isChecked());
    }
    op::click(*frmHlavni->cbDisc);
    for (int column = 0; column <= 16; ++column) {
        EXPECT_TRUE(grid().isColumnVisible(column)) << column;
    }
    EXPECT_FALSE(grid().isColumnVisible(17)) << "the carried finals total is never shown";
    for (QCheckBox* box : frmHlavni->cbNDisc) {
        EXPECT_TRUE(box->isChecked());
    }
}

TEST_F(MainWindow, TheNavigatorFollowsTheResultSet) {
    using Nav = platform::DBNavigator;
    auto enabled = [](Nav::Button which) {
        return frmHlavni->DBNavigator1->button(which)->isEnabled();
    };
    EXPECT_FALSE(enabled(Nav::First));
    EXPECT_FALSE(enabled(Nav::Prior));
    EXPECT_TRUE(enabled(Nav::Next));
    EXPECT_FALSE(enabled(Nav::Cancel));
    op::click(*frmHlavni->DBNavigator1->button(Nav::Last));
    EXPECT_EQ(rows().recNo(), 29);
    EXPECT_EQ(grid().currentIndex().row(), 29) << "the grid follows";
    EXPECT_TRUE(enabled(Nav::First));
    EXPECT_FALSE(enabled(Nav::Next));
    EXPECT_FALSE(enabled(Nav::Last));
    op::click(*frmHlavni->DBNavigator1->button(Nav::Insert));
    EXPECT_TRUE(enabled(Nav::Cancel));
    op::click(*frmHlavni->DBNavigator1->button(Nav::Cancel));
    EXPECT_EQ(rows().recordCount(), 30);

    dialogs.answer(DialogButton::Cancel);
    op::click(*frmHlavni->DBNavigator1->button(Nav::Delete));
    EXPECT_EQ(rows().recordCount(), 30);
    dialogs.answer(DialogButton::Ok);
    op::click(*frmHlavni->DBNavigator1->button(Nav::Delete));
    EXPECT_EQ(stored().size(), 29u);
    EXPECT_EQ(dialogs.requests.back().text, QStringLiteral("Delete record?"));

    rows().close();
    for (int which = 0; which < Nav::Count; ++which) {
        EXPECT_FALSE(enabled(static_cast<Nav::Button>(which))) << which;
    }
}

TEST_F(MainWindow, TheTitleSlidesDownAndStopsAt41) {
    QTRY_VERIFY_WITH_TIMEOUT(!frmHlavni->Timer1->isActive(), 5000);
    EXPECT_EQ(frmHlavni->Label1->y(), 41);

    // Tick by tick from its design place: sixteen moves of 2 pixels.
    frmHlavni->Label1->move(frmHlavni->Label1->x(), 9);
    frmHlavni->Timer1->start();
    int ticks = 0;
    while (frmHlavni->Timer1->isActive() && ticks < 100) {
        frmHlavni->Timer1Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 16);
    EXPECT_EQ(frmHlavni->Label1->y(), 41);
}

TEST_F(MainWindow, EndingTheProgramWritesARowBeingTyped) {
    selectCell(0, DRUZSTVO);
    type(QStringLiteral("Žďár nad Sázavou"));
    op::click(*frmHlavni->btnKonec);
    EXPECT_FALSE(frmHlavni->isVisible());
    EXPECT_EQ(stored()[0][DRUZSTVO], db::FieldValue(std::string("Žďár nad Sázavou")));
}

TEST_F(MainWindow, AWriteRefusedOnTheWayOutKeepsTheProgramOpen) {
    execute(folder.database(), "ALTER TABLE DATAZLT ADD CONSTRAINT SMALL CHECK (BOD1 < 100)");
    rows().edit();
    rows().setField("BOD1", 500);
    frmHlavni->close();
    EXPECT_TRUE(frmHlavni->isVisible());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("SMALL"));
    EXPECT_EQ(rows().state(), db::DataSetState::Edit);
}

TEST_F(MainWindow, FinaleAndBackKeepTheMainWindowAsItWas) {
    clickTitle(CISLO);
    selectCell(7, BOD3);
    op::click(*frmHlavni->cbNDisc[0]);
    op::click(*frmHlavni->btnFinale);
    EXPECT_FALSE(frmHlavni->isVisible());
    EXPECT_TRUE(frmFinale->isVisible());
    op::click(*frmFinale->btnZpet);
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_FALSE(frmFinale->isVisible());
    EXPECT_EQ(rows().recNo(), 7);
    EXPECT_EQ(rows().sql(), "SELECT * FROM DATAZLT ORDER BY CISLO ASC");
    EXPECT_FALSE(grid().isColumnVisible(3));
}

TEST_F(MainWindow, ADatabaseFileDeletedUnderTheProgramIsToldOnceAndCanBeCopied) {
    TempFolder target;
    dialogs.answerInputs(QString::fromStdString(target.path().string()));
    dialogs.answer(DialogButton::Yes);
    placeAfterTheDatabaseVanished();
    ASSERT_EQ(dialogs.requests.size(), 2u) << "the warning, then where the copy is";
    EXPECT_EQ(dialogs.requests[0].caption, QStringLiteral("Databáze zmizela"));
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("ZLT04.GDB"));
    const auto copy = storedRows(target.path() / "ZLT04.GDB", db::preliminaryFields(), "CISLO");
    ASSERT_EQ(copy.size(), 30u);
    EXPECT_EQ(copy[0][BOD1], db::FieldValue(3));
    EXPECT_EQ(copy[0][CELKEM], db::FieldValue(3));

    press(Qt::Key_Down);
    type("4");
    press(Qt::Key_Return);
    EXPECT_EQ(dialogs.requests.size(), 2u) << "told once";
}

TEST_F(MainWindow, ADatabaseFileMovedUnderTheProgramIsToldToo) {
    std::filesystem::rename(folder.database(), folder.path() / "jinam.GDB");
    selectCell(0, BOD1);
    type("3");
    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].caption, QStringLiteral("Databáze zmizela"));
}

// After the warning every write goes into the copy saved, which stays the event's
// database to the end; the window says where it lives.
TEST_F(MainWindow, AfterTheDatabaseFileVanishedTheSavedCopyTakesEveryLaterValue) {
    TempFolder target;
    dialogs.answerInputs(QString::fromStdString(target.path().string()));
    dialogs.answer(DialogButton::Yes);
    placeAfterTheDatabaseVanished();
    ASSERT_EQ(dialogs.requests.size(), 2u);
    const std::filesystem::path copy = target.path() / "ZLT04.GDB";
    EXPECT_TRUE(frmHlavni->lblZtrata->isVisible());
    EXPECT_THAT(frmHlavni->lblZtrata->text().toStdString(), HasSubstr(copy.string()));

    press(Qt::Key_Down);
    type("4");
    press(Qt::Key_Return);
    op::click(*frmHlavni->btnKonec);
    EXPECT_EQ(dialogs.requests.size(), 2u) << dialogs.requests.back().text.toStdString();
    EXPECT_FALSE(frmHlavni->isVisible());
    const auto stored = storedRows(copy, db::preliminaryFields(), "CISLO");
    ASSERT_EQ(stored.size(), 30u);
    EXPECT_EQ(stored[0][CELKEM], db::FieldValue(3));
    EXPECT_EQ(stored[1][BOD1], db::FieldValue(4));
    EXPECT_EQ(stored[1][CELKEM], db::FieldValue(4));
    EXPECT_FALSE(std::filesystem::exists(folder.database()));
}

TEST_F(MainWindow, WithoutACopyEveryLaterWriteIsRefusedAndTheWarningStays) {
    placeAfterTheDatabaseVanished();
    ASSERT_EQ(dialogs.requests.size(), 1u) << "the warning, answered No";
    EXPECT_TRUE(frmHlavni->lblZtrata->isVisible());

    press(Qt::Key_Down);
    type("4");
    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 3u) << "the refusal, then the warning again";
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("Zápis byl odmítnut"));
    EXPECT_EQ(dialogs.requests[2].caption, QStringLiteral("Databáze zmizela"));
    EXPECT_EQ(rows().state(), db::DataSetState::Edit);
    EXPECT_EQ(focusedEditorText(), "4") << "what was typed stays";
    EXPECT_TRUE(frmHlavni->lblZtrata->isVisible());

    // Ending the program is a write too: the program stays open with the row typed.
    op::click(*frmHlavni->btnKonec);
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_EQ(rows().field(BOD1), db::FieldValue(std::string("4")));
}

class MissingDatabase : public MainWindowFixture {};

TEST_F(MissingDatabase, StartsWithTwoMessagesAndAnEmptyGrid) {
    std::filesystem::remove(folder.database());
    startProgram();
    ASSERT_EQ(dialogs.requests.size(), 2u);
    for (const auto& request : dialogs.requests) {
        SCOPED_TRACE(request.text.toStdString());
        EXPECT_THAT(request.text.toStdString(), HasSubstr("ZLT04.GDB"));
        EXPECT_EQ(request.icon, platform::DialogIcon::Stop);
    }
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_EQ(grid().model()->rowCount(), 0);
    press(Qt::Key_Return);
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[2].text,
              QStringLiteral("IBOQuery1: Cannot perform this operation on a closed dataset."));
}

}  // namespace
}  // namespace zlt::test

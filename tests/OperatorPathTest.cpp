// The operator's everyday path, driven only through the keyboard focus, clicks at points of
// the windows and dialogs opened the program's own way.
#include <gmock/gmock.h>

#include <QApplication>
#include <QLineEdit>

#include "finals/Finale.h"
#include "reports/Preview.h"
#include "reports/Volba.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

using platform::DialogButton;
using ::testing::HasSubstr;

// Preliminary fields by position.
constexpr int CISLO = 0, DRUZSTVO = 1, DISCIPLINA1 = 3, BOD1 = 4, DISCIPLINA2 = 5, CELKEM = 15;
// Finals fields by position.
constexpr int FDRUZSTVO = 0, FBOD1 = 3, FCELKEM = 8, FPORADI = 9;

class OperatorPath : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }
    int column() { return grid().currentIndex().column(); }
    int row() { return grid().currentIndex().row(); }
    bool keyboardInGrid() {
        QWidget* focus = QApplication::focusWidget();
        return focus == &grid() || grid().isAncestorOf(focus);
    }
    // Types a placing into each of three teams in turn: the value, Enter, Down, Enter.
    // The Enter on arriving recomputes that team and opens the editor for the next value.
    void typeThreePlacings(int placingColumn) {
        selectCell(0, placingColumn);
        const char* const placings[] = {"3", "5", "7"};
        for (int team = 0; team < 3; ++team) {
            if (team > 0) {
                press(Qt::Key_Down);
                press(Qt::Key_Return);
                ASSERT_TRUE(grid().isEditing()) << "team " << team;
            }
            type(placings[team]);
            press(Qt::Key_Return);
            EXPECT_EQ(row(), team);
            EXPECT_EQ(column(), placingColumn) << "team " << team;
            EXPECT_TRUE(keyboardInGrid()) << "team " << team;
        }
    }
    void toFinals() {
        op::click(*frmHlavni->btnFinale);
        useGrid(*frmFinale->DBGridF);
        selectCell(0, FDRUZSTVO);
    }
    std::vector<std::vector<db::FieldValue>> storedFinals() {
        return storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY");
    }
};

TEST_F(OperatorPath, PlacingsTypedDownTheMainGridEachGetTheirTotal) {
    typeThreePlacings(BOD1);
    const auto table = stored();
    for (int team = 0; team < 3; ++team) {
        EXPECT_EQ(table[team][CISLO], db::FieldValue(team + 1)) << "the number is untouched";
        EXPECT_EQ(table[team][BOD1], db::FieldValue(3 + 2 * team));
        EXPECT_EQ(table[team][CELKEM], db::FieldValue(3 + 2 * team));
    }
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(OperatorPath, PlacingsTypedDownTheFinalsGridEachGetTheirTotal) {
    toFinals();
    const auto before = storedFinals();
    typeThreePlacings(FBOD1);
    const auto table = storedFinals();
    for (int team = 0; team < 3; ++team) {
        EXPECT_EQ(table[team][FDRUZSTVO], before[team][FDRUZSTVO]) << "the name is untouched";
        EXPECT_EQ(table[team][FBOD1], db::FieldValue(3 + 2 * team));
        EXPECT_EQ(table[team][FCELKEM], db::FieldValue(3 + 2 * team));
    }
}

TEST_F(OperatorPath, EnterEnterThenTypingWritesIntoTheSameColumn) {
    selectCell(1, BOD1);
    press(Qt::Key_Return);  // recomputes and opens the editor
    press(Qt::Key_Return);  // recomputes and closes it
    EXPECT_EQ(column(), BOD1);
    type("5");
    press(Qt::Key_Return);
    EXPECT_EQ(stored()[1][BOD1], db::FieldValue(5));
    EXPECT_EQ(stored()[1][CISLO], db::FieldValue(2));
    EXPECT_EQ(stored()[1][CELKEM], db::FieldValue(5));
}

TEST_F(OperatorPath, TabAndShiftTabMoveFromTheCellOfAnEnter) {
    selectCell(2, BOD1);
    type("4");
    press(Qt::Key_Return);
    press(Qt::Key_Tab);
    EXPECT_EQ(column(), DISCIPLINA2);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(column(), DISCIPLINA1);
    EXPECT_EQ(row(), 2);
}

TEST_F(OperatorPath, ATitleClickMakesTheFirstRowCurrentInTheSameColumn) {
    selectCell(6, BOD1);
    clickTitle(CELKEM);
    EXPECT_EQ(row(), 0);
    EXPECT_EQ(column(), BOD1);
    EXPECT_EQ(rows().recNo(), 0);
    type("2");
    press(Qt::Key_Return);
    EXPECT_EQ(rows().field(BOD1), db::FieldValue(2));
}

TEST_F(OperatorPath, InsertingAndCancellingARowKeepTheColumnAndTheKeyboard) {
    selectCell(4, DRUZSTVO);
    press(Qt::Key_Insert);
    EXPECT_EQ(column(), DRUZSTVO);
    press(Qt::Key_Escape);
    EXPECT_EQ(rows().recordCount(), 30);
    EXPECT_EQ(column(), DRUZSTVO);
    EXPECT_TRUE(keyboardInGrid());
    press(Qt::Key_Down);
    EXPECT_EQ(row(), 5);
}

TEST_F(OperatorPath, TheCellEditorHoldsNoMoreThanTheColumn) {
    selectCell(0, DISCIPLINA1);
    type(QStringLiteral("12345678901234567890"));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("12345678901234"));
    press(Qt::Key_Return);
    EXPECT_EQ(stored()[0][DISCIPLINA1], db::FieldValue(std::string("12345678901234")));
    EXPECT_TRUE(dialogs.requests.empty());
}

// Every sheet of the print choice dialog, opened by "Tisk": the preview takes the keys and
// the clicks, and once it is closed the dialog is gone and the main window has the keys.
TEST_F(OperatorPath, EveryPrintChoiceOpensAPreviewThatWorks) {
    for (int number = 31; number <= 40; ++number) {
        execute(folder.database(),
                "INSERT INTO DATAZLT (CISLO) VALUES (" + std::to_string(number) + ")");
    }
    rows().refresh();
    std::vector<QPushButton*> buttons(frmVolbaTisku->btnND.begin(), frmVolbaTisku->btnND.end());
    buttons.push_back(frmVolbaTisku->btnVD);
    for (QPushButton* choice : buttons) {
        SCOPED_TRACE(choice->text().toStdString());
        op::whenShown([&] {
            ASSERT_TRUE(frmVolbaTisku->isVisible());
            op::inPreview([&] { op::click(*choice); },
                          [&](reports::PreviewWindow& preview) {
                              EXPECT_TRUE(frmVolbaTisku->isVisible()) << "behind the preview";
                              ASSERT_EQ(preview.pageCount(), 2);
                              press(Qt::Key_PageDown);
                              EXPECT_EQ(preview.currentPage(), 2);
                              op::clickCommand(preview, QStringLiteral("First page"));
                              EXPECT_EQ(preview.currentPage(), 1);
                          });
            if (frmVolbaTisku->isVisible()) {
                ADD_FAILURE() << "the dialog stayed after the preview";
                frmVolbaTisku->reject();
            }
        });
        op::click(*frmHlavni->btnTisk);
        EXPECT_FALSE(frmVolbaTisku->isVisible());
        EXPECT_EQ(QApplication::activeWindow(), frmHlavni);
    }
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(OperatorPath, ASheetThatCannotBeMadeStillClosesThePrintChoice) {
    execute(folder.database(), "ALTER TABLE DATAZLT ADD CONSTRAINT SMALL CHECK (BOD1 < 100)");
    selectCell(0, BOD1);
    type("500");  // refused when the sheet first writes the row being typed
    op::whenShown([&] {
        EXPECT_FALSE(op::showsPreview([&] { op::click(*frmVolbaTisku->btnND[0]); }));
        if (frmVolbaTisku->isVisible()) {
            ADD_FAILURE() << "the dialog stayed after the failed sheet";
            frmVolbaTisku->reject();
        }
    });
    op::click(*frmHlavni->btnTisk);
    EXPECT_FALSE(frmVolbaTisku->isVisible());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("SMALL"));
}

TEST_F(OperatorPath, AFinalsPreviewTakesTheKeysAndHandsBack) {
    toFinals();
    op::inPreview([&] { op::click(*frmFinale->btnTisk1); },
                  [&](reports::PreviewWindow& preview) {
                      op::clickCommand(preview, QStringLiteral("Zoom to fit"));
                      EXPECT_TRUE(preview.ZoomFit->isChecked());
                  });
    op::click(*frmFinale->btnZpet);
    EXPECT_TRUE(frmHlavni->isVisible());
}

TEST_F(OperatorPath, ARankStillBeingTypedCountsInTheOverallStandings) {
    toFinals();
    selectCell(0, FDRUZSTVO);
    type(QStringLiteral("Lhota"));
    selectCell(0, FPORADI);
    type("1");  // no Enter: the button is clicked at once
    dialogs.answer(DialogButton::Yes);
    op::inPreview([&] { op::click(*frmFinale->btn); }, [](reports::PreviewWindow&) {});
    EXPECT_EQ(storedFinals()[0][FPORADI], db::FieldValue(1));
    // Rank 1 is merged into the first preliminary row in rank order.
    const auto table = stored("PORADI NULLS LAST, CISLO");
    EXPECT_EQ(table[0][DRUZSTVO], db::FieldValue(std::string("Lhota")));
    EXPECT_EQ(table[0][16], db::FieldValue(1));
}

TEST_F(OperatorPath, ARefusedRowStopsTheOverallStandingsBeforeAnythingChanges) {
    execute(folder.database(), "ALTER TABLE DATAZLTF ADD CONSTRAINT SMALLF CHECK (FPORADI < 100)");
    toFinals();
    selectCell(0, FPORADI);
    type("500");
    dialogs.answer(DialogButton::Yes);
    EXPECT_FALSE(op::showsPreview([&] { op::click(*frmFinale->btn); }));
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("SMALLF"));
    EXPECT_EQ(rows().sql(), "SELECT *  FROM DATAZLT") << "the preliminary order is untouched";
    EXPECT_EQ(frmFinale->IBOQueryF.state(), db::DataSetState::Edit) << "the typed rank is kept";
}

}  // namespace
}  // namespace zlt::test

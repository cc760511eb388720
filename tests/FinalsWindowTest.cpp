#include <gmock/gmock.h>

#include <QApplication>
#include <QCloseEvent>

#include "finals/Finale.h"
#include "platform/SystemColors.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

constexpr int DRUZSTVO = 0, FPOCATEK = 1, FBOD1 = 3, FBOD3 = 7, FCELKEM = 8;

class FinalsWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
        op::click(*frmHlavni->btnFinale);
        useGrid(*frmFinale->DBGridF);
        selectCell(0, DRUZSTVO);
    }
    db::ResultSet& finals() { return frmFinale->IBOQueryF; }
    std::vector<std::vector<db::FieldValue>> storedFinals() {
        return storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY");
    }
    void setFirstRow(const std::string& assignments) {
        execute(folder.database(), "UPDATE DATAZLTF SET " + assignments +
                                       " WHERE RDB$DB_KEY = (SELECT FIRST 1 RDB$DB_KEY FROM "
                                       "DATAZLTF ORDER BY RDB$DB_KEY)");
    }
};

TEST_F(FinalsWindow, EnterAddsThePositivePlacingsAndTheStartingValueInEitherMode) {
    struct Case {
        const char* assignments;
        int total;
    } const cases[] = {
        {"FBOD1 = 3, FBOD2 = NULL, FBOD3 = 5, FPOCATEK = NULL", 8},
        {"FBOD1 = 2, FBOD2 = 0, FBOD3 = -4, FPOCATEK = 6", 8},
        {"FBOD1 = NULL, FBOD2 = NULL, FBOD3 = NULL, FPOCATEK = NULL", 0},
        // The starting value counts although reset mode hides its column.
        {"FBOD1 = 1, FBOD2 = 1, FBOD3 = 1, FPOCATEK = 4", 7},
    };
    ASSERT_TRUE(frmFinale->rbVynulovani->isChecked());
    for (const Case& c : cases) {
        setFirstRow(c.assignments);
        selectCell(0, FBOD1);
        press(Qt::Key_Return);
        EXPECT_EQ(storedFinals()[0][FCELKEM], db::FieldValue(c.total)) << c.assignments;
        EXPECT_TRUE(db::isNull(storedFinals()[1][FCELKEM])) << "only the current row";
        press(Qt::Key_Escape);
    }
    op::click(*frmFinale->rbPokracovani);
    selectCell(0, FBOD1);
    press(Qt::Key_Return);
    EXPECT_EQ(storedFinals()[0][FCELKEM], db::FieldValue(7));
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(FinalsWindow, ATypedPlacingCountsInTheSameEnterAndAnEmptyTableGetsARow) {
    // Not the first row: re-reading the rows must not move the total to another team.
    selectCell(2, FBOD3);
    type("9");
    press(Qt::Key_Return);
    EXPECT_EQ(storedFinals()[2][FBOD3], db::FieldValue(9));
    EXPECT_EQ(storedFinals()[2][FCELKEM], db::FieldValue(9));
    EXPECT_TRUE(db::isNull(storedFinals()[0][FCELKEM]));

    frmFinale->IB_DSQLF.execute();
    finals().refresh();
    press(Qt::Key_Return);
    const auto table = storedFinals();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0][FCELKEM], db::FieldValue(0));
    EXPECT_TRUE(db::isNull(table[0][DRUZSTVO]));
}

TEST_F(FinalsWindow, TitleClicksShareTheirDirectionWithTheMainGrid) {
    for (int row = 0; row < finals().recordCount(); ++row) {
        finals().moveTo(row);
        finals().edit();
        finals().setField(FCELKEM, (row * 7) % 5);
        finals().post();
    }
    clickTitle(FCELKEM);
    EXPECT_EQ(finals().sql(), "SELECT * FROM DATAZLTF ORDER BY FCELKEM ASC");
    for (int row = 1; row < finals().recordCount(); ++row) {
        EXPECT_LE(std::get<int>(finals().value(row - 1, FCELKEM)),
                  std::get<int>(finals().value(row, FCELKEM)));
    }
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(grid().columnColor(column),
                  column == FCELKEM ? platform::infoBackground() : platform::windowColor())
            << column;
    }
    clickTitle(FCELKEM);
    EXPECT_EQ(finals().sql(), "SELECT * FROM DATAZLTF ORDER BY FCELKEM DESC");

    // A main-grid click in between flips the shared direction.
    frmHlavni->DBGrid1TitleClick(0);
    clickTitle(DRUZSTVO);
    EXPECT_EQ(finals().sql(), "SELECT * FROM DATAZLTF ORDER BY DRUZSTVO DESC");
}

TEST_F(FinalsWindow, TheModesHideOrShowTheStartingValueAt36Pixels) {
    EXPECT_FALSE(grid().isColumnVisible(FPOCATEK));
    EXPECT_EQ(grid().titleColor(FPOCATEK), platform::buttonShadow());
    const int designWidth = grid().columnWidth(FPOCATEK);

    op::click(*frmFinale->rbPokracovani);
    EXPECT_TRUE(grid().isColumnVisible(FPOCATEK));
    EXPECT_EQ(grid().columnWidth(FPOCATEK), 36);
    EXPECT_NE(designWidth, 36);
    op::click(*frmFinale->rbVynulovani);
    EXPECT_FALSE(grid().isColumnVisible(FPOCATEK));
    op::click(*frmFinale->rbPokracovani);
    EXPECT_TRUE(grid().isColumnVisible(FPOCATEK));
    EXPECT_EQ(grid().columnWidth(FPOCATEK), 36);
}

TEST_F(FinalsWindow, LeavingAndComingBackKeepsOrderRowHighlightAndMode) {
    clickTitle(FBOD1);
    op::click(*frmFinale->rbPokracovani);
    selectCell(5, FBOD3);
    const auto keep = [&] {
        EXPECT_EQ(finals().sql(), "SELECT * FROM DATAZLTF ORDER BY FBOD1 ASC");
        EXPECT_EQ(finals().recNo(), 5);
        EXPECT_EQ(grid().columnColor(FBOD1), platform::infoBackground());
        EXPECT_TRUE(frmFinale->rbPokracovani->isChecked());
        EXPECT_TRUE(grid().isColumnVisible(FPOCATEK));
    };
    op::click(*frmFinale->btnZpet);
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_FALSE(frmFinale->isVisible());
    op::click(*frmHlavni->btnFinale);
    keep();

    frmFinale->close();
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_FALSE(frmFinale->isVisible());
    op::click(*frmHlavni->btnFinale);
    keep();
}

TEST_F(FinalsWindow, ControlsCarryTheirCaptionsHintsAndTabOrder) {
    EXPECT_EQ(frmFinale->btnTiskCelkem->toolTip(), QStringLiteral("Vytisknout finálové pořadí"));
    EXPECT_EQ(frmFinale->btn->text(), QStringLiteral("Celkový tisk ZLT"));
    EXPECT_TRUE(frmFinale->btn->toolTip().isEmpty());
    EXPECT_EQ(frmFinale->DBNavigator1->button(platform::DBNavigator::Cancel)->toolTip(),
              QStringLiteral("Zrušit změnu"));
    EXPECT_FALSE(frmFinale->DBNavigator1->button(platform::DBNavigator::Edit)->isVisible());
    EXPECT_FALSE(frmFinale->Image1->pixmap().isNull());
    EXPECT_EQ(frmFinale->Image1->pixmap().size(), QSize(253, 254));

    // The navigator's buttons take no keyboard focus, so the chain passes over them.
    std::vector<QWidget*> order;
    for (QWidget* w = frmFinale->DBGridF; order.size() < 9; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order.push_back(w);
    }
    const std::vector<QWidget*> expected = {
        frmFinale->DBGridF,       frmFinale->btnTisk1,      frmFinale->btnTisk2,
        frmFinale->btnTisk3,      frmFinale->btnTiskCelkem, frmFinale->rbVynulovani,
        frmFinale->rbPokracovani, frmFinale->btnZpet,       frmFinale->btn};
    EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace zlt::test

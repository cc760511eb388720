// What the main grid and the finals grid share, run over both windows through the keyboard
// focus and clicks at points of the grid.
#include <gmock/gmock.h>

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <functional>

#include "finals/Finale.h"
#include "platform/SystemColors.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

using platform::DialogButton;

// One placing and the total it makes, set by SQL on a row before the Enter.
struct TotalCase {
    const char* assignments;
    int total;
};

// A way the window counts, chosen before the cases run again.
struct Mode {
    const char* name;
    std::function<void()> choose;
};

struct MainGrid {
    static constexpr const char* name = "Main";
    static void open() {}
    static platform::DBGrid& grid() { return *frmHlavni->DBGrid1; }
    static db::ResultSet& rows() { return frmHlavni->IBOQuery1; }
    static void emptyTable() { frmHlavni->IB_DSQL1.execute(); }
    static void titleClickInTheOtherGrid() { frmFinale->DBGridFTitleClick(0); }
    static const db::FieldList& fields() { return db::preliminaryFields(); }
    static constexpr const char* storedOrder = "CISLO";
    static constexpr int rowCount = 30;
    // DRUZSTVO, BOD1, CELKEM, PORADI; each placing follows its discipline's text column.
    static constexpr int teamName = 1, firstPlacing = 4, thirdPlacing = 8, total = 15, rank = 16;
    static constexpr int lastPlacing = 14;  // BOD6
    static constexpr bool scrollsToLastPlacing = true;
    static db::FieldValue typedIntoFirstColumn(int number) { return number; }
    static std::vector<TotalCase> totals() {
        return {
            {"PENALIZACE = 4, BOD1 = 3, BOD2 = 1, BOD3 = NULL, BOD4 = 5, BOD5 = 0, BOD6 = 2", 15},
            {"PENALIZACE = -2, BOD1 = 1, BOD2 = 1, BOD3 = 1, BOD4 = 1, BOD5 = 1, BOD6 = 1", 6},
            {"PENALIZACE = NULL, BOD1 = NULL, BOD2 = NULL, BOD3 = NULL, BOD4 = NULL, "
             "BOD5 = NULL, BOD6 = NULL",
             0},
            {"PENALIZACE = 0, BOD1 = -5, BOD2 = -1, BOD3 = 0, BOD4 = 0, BOD5 = 0, BOD6 = 0", 0},
        };
    }
    static std::vector<Mode> modes() {
        return {{"", [] {}}};
    }
};

struct FinalsGrid {
    static constexpr const char* name = "Finals";
    static void open() { op::click(*frmHlavni->btnFinale); }
    static platform::DBGrid& grid() { return *frmFinale->DBGridF; }
    static db::ResultSet& rows() { return frmFinale->IBOQueryF; }
    static void emptyTable() { frmFinale->IB_DSQLF.execute(); }
    static void titleClickInTheOtherGrid() { frmHlavni->DBGrid1TitleClick(0); }
    static const db::FieldList& fields() { return db::finalsFields(); }
    static constexpr const char* storedOrder = "RDB$DB_KEY";
    static constexpr int rowCount = 12;
    // DRUZSTVO, FBOD1, FBOD3, FCELKEM, FPORADI.
    static constexpr int teamName = 0, firstPlacing = 3, thirdPlacing = 7, total = 8, rank = 9;
    static constexpr int lastPlacing = thirdPlacing;
    static constexpr bool scrollsToLastPlacing = false;  // the grid is wide enough
    static db::FieldValue typedIntoFirstColumn(int number) { return std::to_string(number); }
    static std::vector<TotalCase> totals() {
        return {
            {"FBOD1 = 3, FBOD2 = NULL, FBOD3 = 5, FPOCATEK = NULL", 8},
            {"FBOD1 = 2, FBOD2 = 0, FBOD3 = -4, FPOCATEK = 6", 8},
            {"FBOD1 = NULL, FBOD2 = NULL, FBOD3 = NULL, FPOCATEK = NULL", 0},
            // The starting value counts although reset mode hides its column.
            {"FBOD1 = 1, FBOD2 = 1, FBOD3 = 1, FPOCATEK = 4", 7},
        };
    }
    static std::vector<Mode> modes() {
        return {{"reset",
                 [] { EXPECT_TRUE(frmFinale->rbVynulovani->isChecked()) << "the mode at start"; }},
                {"continuation", [] { op::click(*frmFinale->rbPokracovani); }}};
    }
};

template <typename Window>
class Grid : public MainWindowFixture {
protected:
    using W = Window;
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
        W::open();
        useGrid(W::grid());
        selectCell(0, 0);
    }
    db::ResultSet& shown() { return W::rows(); }
    std::vector<std::vector<db::FieldValue>> table() {
        return storedRows(folder.database(), W::fields(), W::storedOrder);
    }
    void setRow(int row, const std::string& assignments) {
        const std::string name = W::fields().table();
        execute(folder.database(), "UPDATE " + name + " SET " + assignments +
                                       " WHERE RDB$DB_KEY = (SELECT FIRST 1 SKIP " +
                                       std::to_string(row) + " RDB$DB_KEY FROM " + name +
                                       " ORDER BY RDB$DB_KEY)");
    }
    std::string orderedBy(int column, const char* direction) {
        return "SELECT * FROM " + W::fields().table() + " ORDER BY " + W::fields()[column].name +
               " " + direction;
    }
    int column() { return grid().currentIndex().column(); }
    int row() { return grid().currentIndex().row(); }
    bool keyboardInGrid() {
        QWidget* focus = QApplication::focusWidget();
        return focus == &grid() || grid().isAncestorOf(focus);
    }
    // The columns drawn in the highlight colour of the sorted column.
    std::vector<int> highlighted() {
        std::vector<int> columns;
        for (int c = 0; c < W::fields().size(); ++c) {
            if (grid().columnColor(c) == platform::infoBackground()) {
                columns.push_back(c);
            } else {
                EXPECT_EQ(grid().columnColor(c), platform::windowColor()) << "column " << c;
            }
        }
        return columns;
    }
    // The cell drawn at a point of the window, by whichever view draws it there.
    QModelIndex cellAt(QPoint inWindow) {
        QWidget* window = grid().window();
        QWidget* under = window->childAt(inWindow);
        auto* view = qobject_cast<QAbstractItemView*>(under ? under->parentWidget() : nullptr);
        if (view == nullptr || under != view->viewport()) {
            return {};
        }
        return view->indexAt(under->mapFrom(window, inWindow));
    }
    QPoint inWindow(QPoint inCells) { return grid().viewport()->mapTo(grid().window(), inCells); }
    // Where a row's team name and a title stand while the grid shows its first columns.
    QPoint nameOf(int row) {
        return inWindow({grid().horizontalHeader()->sectionPosition(W::teamName) + 4,
                         grid().rowViewportPosition(row) + 4});
    }
    QPoint titleOf(int column) {
        const QHeaderView* titles = grid().horizontalHeader();
        return titles->mapTo(grid().window(),
                             QPoint(titles->sectionPosition(column) + 4, titles->height() / 2));
    }
    QModelIndex cell(int row, int column) { return grid().model()->index(row, column); }
    // The cell drawn where the grid has the current cell.
    QModelIndex shownAtItsPlace() {
        return cellAt(inWindow(grid().visualRect(grid().currentIndex()).center()));
    }
    bool sortedBy(int column, bool ascending) {
        for (int r = 1; r < shown().recordCount(); ++r) {
            const int before = std::get<int>(shown().value(r - 1, column));
            const int after = std::get<int>(shown().value(r, column));
            if (ascending ? before > after : before < after)
                return false;
        }
        return true;
    }
};

struct WindowNames {
    template <typename W>
    static std::string GetName(int) {
        return W::name;
    }
};

using Windows = ::testing::Types<MainGrid, FinalsGrid>;
TYPED_TEST_SUITE(Grid, Windows, WindowNames);

TYPED_TEST(Grid, EnterStoresTheSumOfThePositivePlacingsOfTheCurrentRowOnly) {
    using W = TypeParam;
    for (const Mode& mode : W::modes()) {
        mode.choose();
        for (const TotalCase& c : W::totals()) {
            SCOPED_TRACE(std::string(mode.name) + " " + c.assignments);
            execute(this->folder.database(), "UPDATE " + W::fields().table() + " SET " +
                                                 W::fields()[W::total].name + " = NULL");
            this->setRow(1, c.assignments);
            this->selectCell(1, W::firstPlacing);
            this->press(Qt::Key_Return);
            EXPECT_EQ(this->table()[1][W::total], db::FieldValue(c.total));
            EXPECT_TRUE(db::isNull(this->table()[0][W::total])) << "only the current row";
            this->press(Qt::Key_Escape);  // the Enter opened the cell editor
        }
    }
    EXPECT_TRUE(this->dialogs.requests.empty());
}

// Not the first row: re-reading the rows must not move the total to another team.
TYPED_TEST(Grid, AValueStillInTheCellEditorCountsInTheSameEnter) {
    using W = TypeParam;
    this->selectCell(2, W::thirdPlacing);
    this->type("9");
    QApplication::processEvents();
    ASSERT_TRUE(this->grid().isEditing());
    this->press(Qt::Key_Return);
    const auto table = this->table();
    EXPECT_EQ(table[2][W::thirdPlacing], db::FieldValue(9));
    EXPECT_EQ(table[2][W::total], db::FieldValue(9));
    EXPECT_TRUE(db::isNull(table[0][W::total]));
    EXPECT_FALSE(this->grid().isEditing()) << "Enter closes an open editor";
    EXPECT_EQ(this->shown().state(), db::DataSetState::Browse);
}

TYPED_TEST(Grid, EnterOnAnEmptyTableWritesANewRowWithTotalZero) {
    using W = TypeParam;
    W::emptyTable();
    this->shown().refresh();
    this->press(Qt::Key_Return);
    const auto table = this->table();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0][W::total], db::FieldValue(0));
    EXPECT_TRUE(db::isNull(table[0][0]));
}

// The value, Enter, Down, Enter for three teams in turn: the Enter on arriving recomputes
// that team and opens the editor for the next value; the cell and the keys stay put.
TYPED_TEST(Grid, PlacingsTypedDownTheGridEachGetTheirTotal) {
    using W = TypeParam;
    const auto before = this->table();
    this->selectCell(0, W::firstPlacing);
    const char* const placings[] = {"3", "5", "7"};
    for (int team = 0; team < 3; ++team) {
        SCOPED_TRACE("team " + std::to_string(team));
        if (team > 0) {
            this->press(Qt::Key_Down);
            this->press(Qt::Key_Return);
            ASSERT_TRUE(this->grid().isEditing());
        }
        this->type(placings[team]);
        this->press(Qt::Key_Return);
        EXPECT_EQ(this->row(), team);
        EXPECT_EQ(this->column(), W::firstPlacing);
        EXPECT_TRUE(this->keyboardInGrid());
    }
    const auto table = this->table();
    for (int team = 0; team < 3; ++team) {
        SCOPED_TRACE("team " + std::to_string(team));
        EXPECT_EQ(table[team][0], before[team][0]) << "the first column is untouched";
        EXPECT_EQ(table[team][W::firstPlacing], db::FieldValue(3 + 2 * team));
        EXPECT_EQ(table[team][W::total], db::FieldValue(3 + 2 * team));
    }
    EXPECT_TRUE(this->dialogs.requests.empty());
}

TYPED_TEST(Grid, EnterEnterThenTypingWritesIntoTheSameColumn) {
    using W = TypeParam;
    const auto before = this->table();
    this->selectCell(1, W::firstPlacing);
    this->press(Qt::Key_Return);  // recomputes and opens the editor
    this->press(Qt::Key_Return);  // recomputes and closes it
    EXPECT_EQ(this->column(), W::firstPlacing);
    this->type("5");
    this->press(Qt::Key_Return);
    const auto table = this->table();
    EXPECT_EQ(table[1][W::firstPlacing], db::FieldValue(5));
    EXPECT_EQ(table[1][0], before[1][0]);
    EXPECT_EQ(table[1][W::total], db::FieldValue(5));
}

TYPED_TEST(Grid, TabAndShiftTabMoveFromTheCellOfAnEnter) {
    using W = TypeParam;
    this->selectCell(2, W::firstPlacing);
    this->type("4");
    this->press(Qt::Key_Return);
    this->press(Qt::Key_Tab);
    EXPECT_EQ(this->column(), W::firstPlacing + 1) << "the second discipline";
    this->press(Qt::Key_Backtab, Qt::ShiftModifier);
    this->press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(this->column(), W::firstPlacing - 1) << "the first discipline";
    EXPECT_EQ(this->row(), 2);
}

TYPED_TEST(Grid, TitleClicksSortAlternatelyShareTheirDirectionAndMoveTheHighlight) {
    using W = TypeParam;
    db::ResultSet& rows = this->shown();
    for (int row = 0; row < rows.recordCount(); ++row) {
        rows.moveTo(row);
        rows.edit();
        rows.setField(W::teamName, "Tým " + std::to_string(row + 1));
        rows.setField(W::firstPlacing, 31 - row);
        rows.setField(W::total, (row * 7) % 5);
        rows.post();
    }
    this->clickTitle(W::firstPlacing);
    EXPECT_TRUE(app::currentCompetition()->Sestupne);
    EXPECT_EQ(rows.sql(), this->orderedBy(W::firstPlacing, "ASC"));
    EXPECT_TRUE(this->sortedBy(W::firstPlacing, true));
    EXPECT_EQ(this->highlighted(), std::vector<int>{W::firstPlacing});

    this->clickTitle(W::total);
    EXPECT_FALSE(app::currentCompetition()->Sestupne);
    EXPECT_EQ(rows.sql(), this->orderedBy(W::total, "DESC"));
    EXPECT_TRUE(this->sortedBy(W::total, false));
    EXPECT_EQ(this->highlighted(), std::vector<int>{W::total});

    // A click in the other grid in between turns the next direction round.
    W::titleClickInTheOtherGrid();
    this->clickTitle(W::total);
    EXPECT_EQ(rows.sql(), this->orderedBy(W::total, "DESC"));
    this->clickTitle(W::total);
    EXPECT_EQ(rows.sql(), this->orderedBy(W::total, "ASC"));
    EXPECT_TRUE(this->sortedBy(W::total, true));

    // A later Enter works in that order and keeps it.
    this->selectCell(3, W::firstPlacing);
    const db::FieldValue team = rows.field(W::teamName);
    this->press(Qt::Key_Return);
    EXPECT_EQ(rows.sql(), this->orderedBy(W::total, "ASC"));
    EXPECT_EQ(rows.field(W::teamName), team);
}

// Tabbed far right, the grid still shows whose row it is at its left edge, and the cell typed
// into is not under the name; a click on another team's name goes to that team's name.
TYPED_TEST(Grid, TheTeamsNameStaysInViewWhileTypingFarRight) {
    using W = TypeParam;
    db::ResultSet& rows = this->shown();
    for (int row = 0; row < 5; ++row) {
        rows.moveTo(row);
        rows.edit();
        rows.setField(W::teamName, "Tým " + std::to_string(row + 1));
        rows.post();
    }
    this->selectCell(2, W::teamName);
    for (int tabs = 0; tabs < 20 && this->column() != W::lastPlacing; ++tabs) {
        this->press(Qt::Key_Tab);
    }
    ASSERT_EQ(this->column(), W::lastPlacing);
    EXPECT_EQ(this->grid().columnViewportPosition(W::teamName) < 0, W::scrollsToLastPlacing)
        << "the grid's own name column has left its view";
    EXPECT_EQ(this->cellAt(this->nameOf(2)), this->cell(2, W::teamName));
    const QModelIndex typedInto = this->grid().currentIndex();
    EXPECT_EQ(this->shownAtItsPlace(), typedInto);
    this->type("7");
    this->press(Qt::Key_Return);
    EXPECT_EQ(this->table()[2][W::lastPlacing], db::FieldValue(7));
    // The name's title stays a title: a click sorts by the names.
    op::clickAt(*this->grid().window(), this->titleOf(W::teamName));
    EXPECT_EQ(rows.sql(), this->orderedBy(W::teamName, "ASC"));
    // Back to the left, no cell on the way hides under the name.
    while (this->column() > W::teamName + 1) {
        this->press(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(this->shownAtItsPlace(), this->grid().currentIndex());
    }

    op::clickAt(*this->grid().window(), this->nameOf(4));
    EXPECT_EQ(this->grid().currentIndex(), this->cell(4, W::teamName));
    EXPECT_TRUE(this->keyboardInGrid());
    EXPECT_EQ(this->cellAt(this->nameOf(4)), this->cell(4, W::teamName));
    if (!W::scrollsToLastPlacing) {
        return;
    }
    // Scrolled right by the scroll bar, typing brings the name's cell back with its editor.
    const QScrollBar& across = *this->grid().horizontalScrollBar();
    op::clickAt(*this->grid().window(),
                across.mapTo(this->grid().window(), QPoint(across.width() - 20, 5)));
    ASSERT_GT(across.value(), 0);
    this->type("Lhota");
    const QRect nameCell = this->grid().visualRect(this->cell(4, W::teamName));
    EXPECT_EQ(QApplication::focusWidget()->geometry(), nameCell);
    EXPECT_GE(nameCell.left(), 0);
}

TYPED_TEST(Grid, ATitleClickMakesTheFirstRowCurrentInTheSameColumn) {
    using W = TypeParam;
    this->selectCell(6, W::firstPlacing);
    this->clickTitle(W::total);
    EXPECT_EQ(this->row(), 0);
    EXPECT_EQ(this->column(), W::firstPlacing);
    EXPECT_EQ(this->shown().recNo(), 0);
    this->type("2");
    this->press(Qt::Key_Return);
    EXPECT_EQ(this->shown().field(W::firstPlacing), db::FieldValue(2));
}

TYPED_TEST(Grid, ATitleClickWritesARowBeingTyped) {
    using W = TypeParam;
    this->selectCell(2, W::teamName);
    this->type(QStringLiteral("Dolní Bousov"));
    this->clickTitle(W::rank);
    EXPECT_EQ(this->table()[2][W::teamName], db::FieldValue(std::string("Dolní Bousov")));
}

TYPED_TEST(Grid, InsertingAndCancellingARowKeepTheColumnAndTheKeyboard) {
    using W = TypeParam;
    this->selectCell(4, W::teamName);
    this->press(Qt::Key_Insert);
    EXPECT_EQ(this->column(), W::teamName);
    this->press(Qt::Key_Escape);
    EXPECT_EQ(this->shown().recordCount(), W::rowCount);
    EXPECT_EQ(this->column(), W::teamName);
    EXPECT_TRUE(this->keyboardInGrid());
    this->press(Qt::Key_Down);
    EXPECT_EQ(this->row(), 5);
}

TYPED_TEST(Grid, TheCellEditorHoldsNoMoreThanTheColumn) {
    using W = TypeParam;
    const int discipline = W::firstPlacing - 1;
    this->selectCell(0, discipline);
    this->type(QStringLiteral("12345678901234567890"));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("12345678901234"));
    this->press(Qt::Key_Return);
    EXPECT_EQ(this->table()[0][discipline], db::FieldValue(std::string("12345678901234")));
    EXPECT_TRUE(this->dialogs.requests.empty());
}

TYPED_TEST(Grid, EscDropsTheTypedTextThenTheRowsChanges) {
    using W = TypeParam;
    const auto before = this->table();
    this->selectCell(0, W::teamName);
    this->type("Praha");
    this->press(Qt::Key_Escape);
    EXPECT_FALSE(this->grid().isEditing());
    EXPECT_EQ(this->shown().state(), db::DataSetState::Edit);
    this->press(Qt::Key_Escape);
    EXPECT_EQ(this->shown().state(), db::DataSetState::Browse);
    EXPECT_EQ(this->shown().field(W::teamName), before[0][W::teamName]);
    EXPECT_EQ(this->table()[0][W::teamName], before[0][W::teamName]);
}

TYPED_TEST(Grid, GridKeysInsertAppendAndDelete) {
    using W = TypeParam;
    this->selectCell(4, 0);
    this->press(Qt::Key_Insert);
    EXPECT_EQ(this->shown().state(), db::DataSetState::Insert);
    EXPECT_EQ(this->shown().recNo(), 4);
    this->press(Qt::Key_Escape);
    EXPECT_EQ(this->shown().recordCount(), W::rowCount);

    this->selectCell(W::rowCount - 1, 0);
    this->press(Qt::Key_Down);
    EXPECT_EQ(this->shown().recordCount(), W::rowCount + 1);
    EXPECT_EQ(this->shown().state(), db::DataSetState::Insert);
    this->type(QString::number(W::rowCount + 1));
    this->press(Qt::Key_Up);  // leaving the new row writes it
    ASSERT_EQ(this->table().size(), W::rowCount + 1u);
    EXPECT_EQ(this->table().back()[0], W::typedIntoFirstColumn(W::rowCount + 1));

    this->dialogs.answer(DialogButton::Ok);
    this->press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(this->table().size(), static_cast<std::size_t>(W::rowCount));
}

}  // namespace
}  // namespace zlt::test

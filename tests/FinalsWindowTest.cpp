#include <gmock/gmock.h>

#include <QApplication>
#include <QCloseEvent>

#include "finals/Finale.h"
#include "platform/SystemColors.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

constexpr int DRUZSTVO = 0, FPOCATEK = 1, FBOD1 = 3, FBOD3 = 7;

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
};

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

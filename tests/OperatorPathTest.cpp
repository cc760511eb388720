// The operator's everyday path, driven only through the keyboard focus, clicks at points of
// the windows and dialogs opened the program's own way.
#include <gmock/gmock.h>

#include <QApplication>

#include "finals/Finale.h"
#include "reports/Preview.h"
#include "reports/Volba.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

using platform::DialogButton;
using ::testing::HasSubstr;

// Preliminary fields by position.
constexpr int DRUZSTVO = 1, BOD1 = 4;
// Finals fields by position.
constexpr int FDRUZSTVO = 0, FPORADI = 9;

class OperatorPath : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
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

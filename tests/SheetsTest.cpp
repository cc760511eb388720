#include <gmock/gmock.h>

#include <QApplication>
#include <functional>

#include "finals/Finale.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/Preview.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/Volba.h"
#include "reports/ZLTTisk.h"
#include "settings/Nastaveni.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PageQuery.h"

namespace zlt::test {
namespace {

using platform::DialogButton;
using reports::DrawOp;
using reports::Page;

class Sheets : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
        execute(folder.database(),
                "UPDATE DATAZLT SET DRUZSTVO = 'Tým ' || CISLO, BOD3 = 31 - CISLO, "
                "DISCIPLINA3 = CISLO || ',5 s', PENALIZACE = MOD(CISLO, 3), PORADI = CISLO");
        rows().refresh();
    }
    // The pages of a sheet chosen in the print choice dialog, opened by "Tisk".
    static std::vector<Page> printChoice(QPushButton* choice) {
        std::vector<Page> pages;
        op::whenShown([&] {
            op::inPreview([&] { op::click(*choice); },
                          [&](reports::PreviewWindow& preview) {
                              EXPECT_TRUE(frmVolbaTisku->isVisible()) << "until the preview closes";
                              pages = preview.pages();
                          });
        });
        op::click(*frmHlavni->btnTisk);
        EXPECT_FALSE(frmVolbaTisku->isVisible());
        return pages;
    }
    static std::vector<Page> discipline(int number) {
        return printChoice(frmVolbaTisku->btnND[number - 1]);
    }
    static std::vector<Page> standings() { return printChoice(frmVolbaTisku->btnVD); }
    // The pages of a sheet printed from the finals window, which is on the screen.
    static std::vector<Page> finalsSheet(QPushButton* command) {
        std::vector<Page> pages;
        op::inPreview([&] { op::click(*command); },
                      [&](reports::PreviewWindow& preview) { pages = preview.pages(); });
        return pages;
    }
    void fillFinals() {
        // Finals rank 1 goes to the team placed fifth after the preliminary round.
        execute(folder.database(), "DELETE FROM DATAZLTF");
        for (int rank = 1; rank <= 12; ++rank) {
            const int team = rank == 1 ? 5 : (rank <= 5 ? rank - 1 : rank);
            execute(folder.database(),
                    "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FPORADI, FCELKEM) "
                    "VALUES ('Finalista " +
                        std::to_string(team) + "', " + std::to_string(team) + ", " +
                        std::to_string(rank) + ", " + std::to_string(100 + rank) + ")");
        }
        frmFinale->IBOQueryF.refresh();
    }
};

TEST_F(Sheets, DisciplineHeadingsNamesAndLeftEdges) {
    frmNastaveni->EditCislo->setText(QStringLiteral("50"));
    frmNastaveni->EditND[1]->setText(QStringLiteral("Přetahování lanem"));
    auto pages = discipline(2);
    EXPECT_THAT(texts(pages),
                ::testing::Contains(QStringLiteral("Výsledky 2.disciplíny 50.Zeltoria")));
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("Přetahování lanem")));
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Výsledky 2.disciplíny 50.Zeltoria")).left(),
                10 + 46.57, 0.01);

    pages = discipline(6);
    EXPECT_NEAR(
        boxOf(pages[0], QStringLiteral("Výsledky 6.disciplíny - průběžné 50.Zeltoria")).left(),
        10 + 37.04, 0.01);
    EXPECT_THAT(texts(pages), ::testing::Contains(
                                  QStringLiteral("Výsledky 6.disciplíny - průběžné 50.Zeltoria")));

    frmNastaveni->EditCislo->clear();
    pages = discipline(3);
    EXPECT_THAT(texts(pages),
                ::testing::Contains(QStringLiteral("Výsledky 3.disciplíny .Zeltoria")));
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Výsledky 3.disciplíny .Zeltoria")).left(),
                10 + 46.57, 0.01);
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("12,5 s")));
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("Celkem družstev : ")));
    ASSERT_EQ(pages.size(), 1u) << "30 rows and the summary fit one page";
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Celkem družstev : ")).top(),
                10 + 43.13 + 30 * 6.35 + 16.93, 0.01);
}

TEST_F(Sheets, PenaltyColumnAndStampFollowTheConfirmedSettings) {
    auto pages = discipline(1);
    EXPECT_TRUE(drawn(pages, DrawOp::Kind::Picture).empty());
    EXPECT_THAT(texts(pages), ::testing::Not(::testing::Contains(QStringLiteral("Penalizace"))));

    confirmDetails(true);
    pages = discipline(1);
    EXPECT_FALSE(drawn(pages, DrawOp::Kind::Picture).empty());
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("Penalizace")));
    // Team 2's penalty of 2 prints at the penalty column's left edge.
    const double row = boxOf(pages[0], QStringLiteral("Tým 2")).top();
    EXPECT_FALSE(drawn(pages[0], DrawOp::Kind::Text,
                       [&](const DrawOp& op) {
                           return op.text == QStringLiteral("2") &&
                                  std::abs(op.box.top() - row) < 0.01 &&
                                  std::abs(op.box.left() - 172.98) < 0.01;
                       })
                     .empty())
        << "team 2's penalty at the penalty column";

    confirmDetails(false);
    pages = discipline(1);
    EXPECT_THAT(texts(pages), ::testing::Not(::testing::Contains(QStringLiteral("Penalizace"))));
}

TEST_F(Sheets, RowsComeInTheGridsOrderAndBreakPagesWhereTheyNoLongerFit) {
    clickTitle(8);  // "3.Pořadí" ascending
    auto pages = discipline(3);
    EXPECT_LT(boxOf(pages[0], QStringLiteral("Tým 30")).top(),
              boxOf(pages[0], QStringLiteral("Tým 1")).top());
    EXPECT_EQ(rows().recNo(), 29);

    for (int number = 31; number <= 32; ++number) {
        execute(folder.database(), "INSERT INTO DATAZLT (CISLO, DRUZSTVO) VALUES (" +
                                       std::to_string(number) + ", 'Tým " + std::to_string(number) +
                                       "')");
    }
    rows().refresh();
    EXPECT_EQ(discipline(1).size(), 2u) << "32 rows: the summary starts page 2";

    // The standings sheet's rows are lower: 36 keep the summary on page 1, 37 do not.
    for (int number = 33; number <= 36; ++number) {
        execute(folder.database(),
                "INSERT INTO DATAZLT (CISLO) VALUES (" + std::to_string(number) + ")");
    }
    rows().refresh();
    EXPECT_EQ(standings().size(), 1u);
    execute(folder.database(), "INSERT INTO DATAZLT (CISLO) VALUES (37)");
    rows().refresh();
    const auto pages37 = standings();
    ASSERT_EQ(pages37.size(), 2u);
    EXPECT_THAT(texts({pages37[1]}), ::testing::Contains(QStringLiteral("37")));
}

TEST_F(Sheets, StandingsHeadingsNeedConfirmedDetails) {
    EXPECT_THAT(texts(standings()),
                ::testing::Contains(QStringLiteral("Průběžné výsledky v základní části")));
    confirmDetails(false);
    EXPECT_THAT(texts(standings()),
                ::testing::Contains(QStringLiteral("Průběžné výsledky 50.ZLT v základní části")));

    const auto finals = [&] {
        op::click(*frmHlavni->btnFinale);
        const auto shown = texts(finalsSheet(frmFinale->btnTiskCelkem));
        op::click(*frmFinale->btnZpet);
        return shown;
    };
    EXPECT_THAT(finals(), ::testing::Contains(QStringLiteral("Finálové pořadí 50.Zeltoria")));
    inSettings([] { op::click(*frmNastaveni->btnNeuvadet); });
    const auto unconfirmed = finals();
    EXPECT_THAT(unconfirmed, ::testing::Contains(QStringLiteral("Celkové pořadí Zeltoria")));
    EXPECT_THAT(unconfirmed, ::testing::Contains(QString(11, QLatin1Char(' '))));
}

TEST_F(Sheets, FinalDisciplineSheetsAndTheFinalsModeHook) {
    fillFinals();
    frmNastaveni->EditCislo->setText(QStringLiteral("7"));
    frmNastaveni->EditNFD[1]->setText(QStringLiteral("Vodní štafeta"));
    execute(folder.database(),
            "UPDATE DATAZLTF SET FDISCIPLINA2 = 'D2 ' || FPORADI, FBOD2 = FPORADI");
    frmFinale->IBOQueryF.refresh();
    op::click(*frmHlavni->btnFinale);
    auto pages = finalsSheet(frmFinale->btnTisk2);
    EXPECT_THAT(texts(pages),
                ::testing::Contains(QStringLiteral("Výsledky 2.finálové disciplíny 7.Zeltoria")));
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("Vodní štafeta")));
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("D2 12")));

    const auto startingValues = [&] {
        const auto shown = texts(finalsSheet(frmFinale->btnTiskCelkem));
        return std::count(shown.begin(), shown.end(), QStringLiteral("Pořadí"));
    };
    EXPECT_EQ(startingValues(), 1) << "before any mode is chosen only the rank column is headed";
    op::click(*frmFinale->rbPokracovani);
    EXPECT_EQ(startingValues(), 2);
    op::click(*frmFinale->rbVynulovani);
    EXPECT_EQ(startingValues(), 1);
}

TEST_F(Sheets, TheMergeCopiesRankNameAndFinalsTotalIntoTheTopTwelve) {
    fillFinals();
    execute(folder.database(), "UPDATE DATAZLT SET CELKEM = 200 + CISLO");
    op::click(*frmHlavni->btnFinale);
    for (DialogButton answer : {DialogButton::No, DialogButton::Cancel}) {
        SCOPED_TRACE(answer == DialogButton::No ? "No" : "Cancel");
        dialogs.answer(answer);
        EXPECT_FALSE(op::showsPreview([&] { op::click(*frmFinale->btn); }));
    }
    EXPECT_EQ(stored()[0][1], db::FieldValue(std::string("Tým 1")));
    EXPECT_EQ(dialogs.requests[0].caption, QStringLiteral("Celkový tisk ZLT"));

    dialogs.answer(DialogButton::Yes);
    const auto pages = finalsSheet(frmFinale->btn);
    const auto table = stored("PORADI, CISLO");
    EXPECT_EQ(table[0][1], db::FieldValue(std::string("Finalista 5")));
    EXPECT_EQ(table[0][16], db::FieldValue(1));
    EXPECT_EQ(table[0][15], db::FieldValue(201)) << "the first row keeps its own total";
    EXPECT_EQ(table[0][0], db::FieldValue(1));
    EXPECT_EQ(table[11][1], db::FieldValue(std::string("Finalista 12")));
    EXPECT_EQ(table[12][1], db::FieldValue(std::string("Tým 13")));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("101")));
    EXPECT_THAT(texts(pages), ::testing::Contains(QStringLiteral("Celkové pořadí Zeltoria")));
    EXPECT_EQ(rows().recNo(), 29);
}

TEST_F(Sheets, AMergeWithFewerRowsCopiesEachPairOnce) {
    fillFinals();
    execute(folder.database(), "DELETE FROM DATAZLTF WHERE FPORADI > 3");
    execute(folder.database(), "DELETE FROM DATAZLT WHERE CISLO > 2");
    rows().refresh();
    frmFinale->IBOQueryF.refresh();
    dialogs.answer(DialogButton::Yes);
    op::click(*frmHlavni->btnFinale);
    finalsSheet(frmFinale->btn);
    const auto table = stored("PORADI");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0][1], db::FieldValue(std::string("Finalista 5")));
    EXPECT_EQ(table[1][1], db::FieldValue(std::string("Finalista 1")));
    EXPECT_EQ(table[1][16], db::FieldValue(2)) << "not overwritten by the third finalist";
}

}  // namespace
}  // namespace zlt::test

// The check's red line in the results windows as the operator meets it: a placing typed
// wrong shows it, a click lists the findings, the one chosen puts the grid's cell on it,
// and the correction makes the line go.
#include <gmock/gmock.h>

#include <QApplication>

#include "finals/Finale.h"
#include "office/Diplomy.h"
#include "office/Nastroje.h"
#include "platform/CheckLine.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr int BOD1 = 4, FBOD1 = 3;

TEST(FindingsCount, TheNounFollowsTheNumberAsCzechCountsIt) {
    const std::vector<std::pair<int, QString>> counts = {{1, QStringLiteral("1 nález")},
                                                         {2, QStringLiteral("2 nálezy")},
                                                         {4, QStringLiteral("4 nálezy")},
                                                         {5, QStringLiteral("5 nálezů")},
                                                         {11, QStringLiteral("11 nálezů")}};
    for (const auto& [count, text] : counts) {
        EXPECT_EQ(platform::findingsCount(count), text);
    }
}

// Five named teams placed 1 to 5 in every discipline, with their totals and ranks as
// Enter and the ranks dialog write them; four finalists placed the same way.
class CheckWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        execute(folder.database(),
                "UPDATE DATAZLT SET DRUZSTVO = 'Obec ' || CISLO, BOD1 = CISLO, BOD2 = CISLO, "
                "BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, CELKEM = 6 * CISLO, "
                "PORADI = CISLO WHERE CISLO <= 5");
        execute(folder.database(), "DELETE FROM DATAZLTF");
        for (int place = 1; place <= 4; ++place) {
            const QString sql =
                QStringLiteral(
                    "INSERT INTO DATAZLTF (DRUZSTVO, FBOD1, FBOD2, FBOD3, FCELKEM, FPORADI) "
                    "VALUES ('Finalista %1', %1, %1, %1, %2, %1)")
                    .arg(place)
                    .arg(3 * place);
            execute(folder.database(), sql.toStdString());
        }
        startProgram();
    }

    // Clicks the line and, in the list it opens, chooses the finding about that field
    // with Enter; returns the finding chosen.
    competition::Finding chooseFinding(platform::CheckLine& line, bool finals,
                                       const std::string& field) {
        competition::Finding chosen;
        bool listed = false;
        op::whenShown([&] {
            auto* list = qobject_cast<platform::FindingsList*>(QApplication::activeModalWidget());
            ASSERT_NE(list, nullptr) << "no list after a click on the line";
            listed = true;
            const std::vector<competition::Finding> findings =
                competition().check().findingsOf(finals);
            ASSERT_EQ(list->lstNalezy->count(), static_cast<int>(findings.size()));
            const auto found = std::find_if(findings.begin(), findings.end(),
                                            [&](const auto& f) { return f.field == field; });
            ASSERT_NE(found, findings.end()) << "no finding about " << field;
            chosen = *found;
            const int row = static_cast<int>(found - findings.begin());
            QListWidget& items = *list->lstNalezy;
            EXPECT_EQ(items.item(row)->text().toStdString(), found->line());
            const QRect item = items.visualItemRect(items.item(row));
            op::clickAt(*list, items.viewport()->mapTo(list, item.center()));
            press(Qt::Key_Return);
            EXPECT_FALSE(list->isVisible());
        });
        op::click(line);
        EXPECT_TRUE(listed);
        return chosen;
    }
};

// The text in the grid's cell of that row and field.
std::string shown(platform::DBGrid& grid, int row, int column) {
    return grid.model()->index(row, column).data().toString().toStdString();
}

TEST_F(CheckWindow, ASharedPlaceIsToldListedFoundInTheGridAndGoneOnceCorrected) {
    EXPECT_FALSE(frmHlavni->lblKontrola->isVisibleTo(frmHlavni)) << "a proper ranking";
    // Team 5 typed 3rd beside team 3: 1, 2, 3, 4, 3 uses the 4th place a shared 3rd leaves.
    selectCell(4, BOD1);
    type(QStringLiteral("3"));
    press(Qt::Key_Return);
    const std::vector<competition::Finding> findings = competition().check().findingsOf(false);
    ASSERT_FALSE(findings.empty());
    EXPECT_TRUE(frmHlavni->lblKontrola->isVisibleTo(frmHlavni));
    EXPECT_EQ(frmHlavni->lblKontrola->wholeText(),
              QStringLiteral("Kontrola: %1 – %2")
                  .arg(platform::findingsCount(static_cast<int>(findings.size())),
                       QString::fromStdString(findings.front().text)));

    // The diplomas warn of it before they are handed out.
    op::click(*frmHlavni->btnNastroje);
    op::whenShown([&] {
        auto* diplomas = qobject_cast<TfrmDiplomy*>(QApplication::activeModalWidget());
        ASSERT_NE(diplomas, nullptr);
        op::choose(*diplomas->rbPredkolo);
        EXPECT_THAT(
            diplomas->lblSouhrn->text().toStdString(),
            StartsWith("Pozor, kontrola našla " +
                       platform::findingsCount(static_cast<int>(findings.size())).toStdString() +
                       ": " + findings.front().line()));
        EXPECT_THAT(diplomas->lblSouhrn->text().toStdString(), HasSubstr("Diplomů: 3"));
        op::click(*diplomas->btnZpet);
    });
    op::click(*frmNastroje->btnDiplomy);
    frmHlavni->activateWindow();

    // Found with the first discipline's columns hidden: they come back.
    op::click(*frmHlavni->cbNDisc[0]);
    ASSERT_FALSE(grid().isColumnVisible(BOD1));
    const competition::Finding chosen = chooseFinding(*frmHlavni->lblKontrola, false, "BOD1");
    EXPECT_TRUE(grid().isColumnVisible(BOD1));
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(chosen.row, BOD1));
    EXPECT_EQ(rows().recNo(), chosen.row);
    EXPECT_EQ(QApplication::focusWidget(), &grid());
    EXPECT_EQ(db::FieldValue(*chosen.number), rows().value(chosen.row, 0));

    // Whichever of the 3rd and 4th places it names, 5 there makes the ranking proper.
    type(QStringLiteral("5"));
    press(Qt::Key_Return);
    EXPECT_TRUE(competition().check().findingsOf(false).empty());
    EXPECT_FALSE(frmHlavni->lblKontrola->isVisibleTo(frmHlavni));
    EXPECT_TRUE(dialogs.requests.empty());
}

// The line follows a commit of another table, and the list names rows as the grid shows
// them now, also after a sort.
TEST_F(CheckWindow, TheFinalsLineFollowsAnotherTablesCommitAndFindsItsRowAfterASort) {
    op::click(*frmHlavni->btnFinale);
    useGrid(*frmFinale->DBGridF);
    EXPECT_FALSE(frmFinale->lblKontrolaF->isVisibleTo(frmFinale));
    execute(folder.database(), "UPDATE DATAZLTF SET FBOD1 = 2 WHERE DRUZSTVO = 'Finalista 1'");
    competition().live().databaseChanged();
    QApplication::processEvents();
    ASSERT_TRUE(frmFinale->lblKontrolaF->isVisibleTo(frmFinale));
    EXPECT_THAT(frmFinale->lblKontrolaF->wholeText().toStdString(), StartsWith("Kontrola: "));

    clickTitle(FBOD1);
    clickTitle(FBOD1);  // descending: the placed rows the other way round
    const competition::Finding chosen = chooseFinding(*frmFinale->lblKontrolaF, true, "FBOD1");
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(chosen.row, FBOD1));
    EXPECT_EQ(shown(grid(), chosen.row, 0), chosen.team);
    EXPECT_EQ(QApplication::focusWidget(), &grid());
}

}  // namespace
}  // namespace zlt::test

#include <gmock/gmock.h>

#include <QApplication>
#include <QImage>

#include "office/Nastroje.h"
#include "office/Projekce.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt {
namespace competition {

void PrintTo(const StandingLine& line, std::ostream* out) {
    *out << '{' << line.place.toStdString() << ' ' << line.team.toStdString() << ' '
         << line.totals.join(QLatin1Char('/')).toStdString() << '}';
}

}  // namespace competition

namespace test {
namespace {

using ::testing::ElementsAre;
using Lines = std::vector<ProjectedLine>;

constexpr int DRUZSTVO = 1;

ProjectedLine line(const char* place, const char* team, QStringList totals) {
    return {QString::fromUtf8(place), QString::fromUtf8(team), std::move(totals)};
}

bool shows(const QString& team) {
    const Lines& lines = frmProjekce->lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const auto& line) { return line.team == team; });
}

class Projector : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }

    // Through an attachment of its own, as another program or computer would write.
    void write(const std::string& sql) { execute(folder.database(), sql); }
    void team(int number, const std::string& values) {
        write("UPDATE DATAZLT SET " + values + " WHERE CISLO = " + std::to_string(number));
    }
    void sampleStandings() {
        team(1, "DRUZSTVO = 'Lhota', CELKEM = 20, PORADI = 2, CELKEMF = 9");
        team(2, "DRUZSTVO = 'Ves', CELKEM = 10, PORADI = 1, CELKEMF = 4");
        team(3, "DRUZSTVO = 'Dolní Lhota', CELKEM = 30");
        team(4, "DRUZSTVO = 'Horky', CELKEM = 30");
        team(5, "DRUZSTVO = 'Bor', CELKEM = 25");
        team(6, "DRUZSTVO = 'Zbraslav'");
        team(7, "DRUZSTVO = '  ', CELKEM = 5, PORADI = 3");
    }

    void openProjector() {
        op::click(*frmHlavni->btnNastroje);
        op::click(*frmNastroje->btnProjekce);
        ASSERT_TRUE(frmProjekce->isVisible());
    }
    // A change committed elsewhere, and the notice of it that the competition would get.
    void writeElsewhere(int number, const std::string& values) {
        team(number, values);
        competition().live().databaseChanged();
    }
    void typeTeam(int row, const QString& name) {
        frmHlavni->activateWindow();
        selectCell(row, DRUZSTVO);
        type(name);
    }
    void pressInProjector(int key) {
        op::clickAt(*frmProjekce, frmProjekce->rect().center());
        press(key);
    }
};

TEST_F(Projector, OpensFromTheToolsWindowAndNeverTakesTheOperatorsKeys) {
    openProjector();
    EXPECT_EQ(QApplication::focusWidget(), frmNastroje->btnProjekce);
    EXPECT_FALSE(frmProjekce->isFullScreen()) << "with one screen it opens as a window";
    EXPECT_EQ(frmProjekce->windowTitle(), QStringLiteral("Projekce"));

    typeTeam(0, QStringLiteral("Lhota"));
    press(Qt::Key_Return);
    QWidget* typing = QApplication::focusWidget();
    writeElsewhere(2, "DRUZSTVO = 'Ves'");
    QTRY_VERIFY_WITH_TIMEOUT(shows(QStringLiteral("Ves")), 1000);
    EXPECT_EQ(QApplication::focusWidget(), typing) << "refreshed, it leaves the keys alone";
    EXPECT_EQ(QApplication::activeWindow(), frmHlavni);
}

TEST_F(Projector, ShowsRanksThenTotalsWithSharedPlacesAndHidesUnnamedRows) {
    sampleStandings();
    openProjector();
    EXPECT_THAT(frmProjekce->lines(),
                ElementsAre(line("1.", "Ves", {"10"}), line("2.", "Lhota", {"20"}),
                            line("3.", "Bor", {"25"}), line("4.", "Dolní Lhota", {"30"}),
                            line("4.", "Horky", {"30"}), line("", "Zbraslav", {""})));

    pressInProjector(Qt::Key_3);
    EXPECT_EQ(frmProjekce->mode(), TfrmProjekce::Mode::Overall);
    EXPECT_THAT(frmProjekce->lines(),
                ElementsAre(line("1.", "Ves", {"10", "4"}), line("2.", "Lhota", {"20", "9"}),
                            line("3.", "Bor", {"25", ""}), line("4.", "Dolní Lhota", {"30", ""}),
                            line("4.", "Horky", {"30", ""}), line("", "Zbraslav", {"", ""})));
}

TEST_F(Projector, ShowsTheFinalsByTheirOwnRanksAndTotals) {
    write("DELETE FROM DATAZLTF");
    write("INSERT INTO DATAZLTF (DRUZSTVO, FCELKEM, FPORADI) VALUES ('Ves', 7, NULL)");
    write("INSERT INTO DATAZLTF (DRUZSTVO, FCELKEM, FPORADI) VALUES ('Lhota', 9, 1)");
    write("INSERT INTO DATAZLTF (DRUZSTVO, FCELKEM, FPORADI) VALUES ('Bor', 5, NULL)");
    write("INSERT INTO DATAZLTF (DRUZSTVO, FCELKEM, FPORADI) VALUES (' ', 1, NULL)");
    openProjector();
    pressInProjector(Qt::Key_F);
    EXPECT_EQ(frmProjekce->mode(), TfrmProjekce::Mode::Finals);
    EXPECT_THAT(frmProjekce->lines(),
                ElementsAre(line("1.", "Lhota", {"9"}), line("2.", "Bor", {"5"}),
                            line("3.", "Ves", {"7"})));
    pressInProjector(Qt::Key_1);
    EXPECT_TRUE(frmProjekce->lines().empty()) << "the new event's rows have no names";
}

TEST_F(Projector, FollowsCommittedWritesWithinASecondButNotARowBeingTyped) {
    openProjector();
    typeTeam(0, QStringLiteral("Lhota"));
    press(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(shows(QStringLiteral("Lhota")), 1000);

    typeTeam(1, QStringLiteral("Rozepsaná"));
    press(Qt::Key_Tab);
    ASSERT_EQ(rows().state(), db::DataSetState::Edit);
    writeElsewhere(3, "DRUZSTVO = 'Ves', CELKEM = 12");
    QTRY_VERIFY_WITH_TIMEOUT(shows(QStringLiteral("Ves")), 1000);
    EXPECT_FALSE(shows(QStringLiteral("Rozepsaná")));

    const auto before = stored();
    frmProjekce->close();
    EXPECT_EQ(stored(), before) << "closing it writes nothing";
    EXPECT_EQ(rows().state(), db::DataSetState::Edit) << "the typed row stays being typed";
    EXPECT_TRUE(frmHlavni->isVisible());
    EXPECT_TRUE(frmNastroje->isVisible());
}

TEST_F(Projector, TurnsPagesWhenTheTeamsDoNotFitAndKeepsLinesLarge) {
    write(
        "EXECUTE BLOCK AS DECLARE i INTEGER = 100; BEGIN WHILE (i < 160) DO BEGIN "
        "INSERT INTO DATAZLT (CISLO, DRUZSTVO, CELKEM) VALUES (:i, 'Obec ' || :i, :i); "
        "i = i + 1; END END");
    frmProjekce->setPageInterval(50);
    openProjector();
    ASSERT_EQ(frmProjekce->lines().size(), 60u);
    ASSERT_GT(frmProjekce->pageCount(), 1);
    const int firstOnPage = static_cast<int>(frmProjekce->pageLines().size());
    QTRY_COMPARE_WITH_TIMEOUT(frmProjekce->page(), 1, 1000);
    EXPECT_EQ(frmProjekce->pageLines().front(), frmProjekce->lines()[firstOnPage]);
    // After the last page, the first.
    QTRY_COMPARE_WITH_TIMEOUT(frmProjekce->page(), 0, 2000);

    for (const QSize size : {QSize(1920, 1080), QSize(800, 600)}) {
        frmProjekce->resize(size);
        const QImage shot = frmProjekce->grab().toImage();
        for (int index = 0; index + 1 < firstOnPage; ++index) {
            const QRect box = frmProjekce->lineRect(index);
            EXPECT_GE(box.height(), size.height() / 25);
            EXPECT_LE(box.bottom(), size.height());
            // Each line is a band of its own shade, so the lines read apart.
            EXPECT_EQ(shot.pixel(1, box.top()), shot.pixel(1, box.bottom()));
            EXPECT_NE(shot.pixel(1, box.top()), shot.pixel(1, box.bottom() + 1));
        }
    }
}

TEST_F(Projector, F11AndADoubleClickToggleFullScreen) {
    openProjector();
    pressInProjector(Qt::Key_F11);
    EXPECT_TRUE(frmProjekce->isFullScreen());
    press(Qt::Key_F11);
    EXPECT_FALSE(frmProjekce->isFullScreen());
    QTest::mouseDClick(frmProjekce->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       frmProjekce->rect().center());
    EXPECT_TRUE(frmProjekce->isFullScreen());
}

}  // namespace
}  // namespace test
}  // namespace zlt

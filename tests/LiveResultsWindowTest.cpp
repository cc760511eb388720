// "Výsledky na síti" in the tools window as the organiser uses it: the box clicked at its
// point, the address beside it, the phones' page following what the operator types.
#include <gmock/gmock.h>
#include <signal.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/Hlavni.h"
#include "competition/EventChoices.h"
#include "database/RowReader.h"
#include "finals/Finale.h"
#include "office/Nastroje.h"
#include "office/Projekce.h"
#include "reports/Preview.h"
#include "tests/support/Files.h"
#include "tests/support/Finalists.h"
#include "tests/support/Http.h"
#include "tests/support/MainWindowFixture.h"
#include "web/LiveResults.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr int DRUZSTVO = 1;

class LiveResultsWindow : public MainWindowFixture {
protected:
    // Starts the program with the choice kept as given and opens the tools window.
    void openTools(const std::string& kept) {
        std::ofstream(folder.path() /
                      competition::choiceFile(competition::EventChoice::LiveResults))
            << kept << '\n';
        startProgram();
        op::click(*frmHlavni->btnNastroje);
        ASSERT_TRUE(frmNastroje->isVisible());
    }

    // The port of the loopback address the label's tooltip names.
    quint16 shownPort() const {
        const QString tip = frmNastroje->lblAdresa->toolTip();
        const qsizetype at = tip.indexOf(QStringLiteral("127.0.0.1:"));
        return at < 0 ? 0
                      : static_cast<quint16>(
                            tip.mid(at + 10).section(QLatin1Char('/'), 0, 0).toUInt());
    }

    // Turns the event loop until the served page passes the test, at most two seconds.
    static bool servedPageShows(quint16 port, const QByteArray& path,
                                const std::function<bool(const QString&)>& test) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000) {
            if (test(QString::fromUtf8(httpRequest(port, path).body))) {
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return false;
    }
    static bool phonePageShows(quint16 port, const QString& text) {
        return servedPageShows(port, "/", [&](const QString& page) { return page.contains(text); });
    }
};

TEST_F(LiveResultsWindow, TheBoxSitsBelowTheOtherControlsWithoutMovingThem) {
    openTools("vypnuto 0");
    const QRect box = frmNastroje->chkVysledkyNaSiti->geometry();
    const QRect label = frmNastroje->lblAdresa->geometry();
    EXPECT_TRUE(frmNastroje->rect().contains(box));
    EXPECT_TRUE(frmNastroje->rect().contains(label));
    EXPECT_EQ(frmNastroje->btnDiplomy->geometry(), QRect(16, 568, 121, 25));
    for (QWidget* control : frmNastroje->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != frmNastroje->chkVysledkyNaSiti && control != frmNastroje->lblAdresa) {
            EXPECT_FALSE(control->geometry().intersects(box) ||
                         control->geometry().intersects(label))
                << control->metaObject()->className() << " overlaps the new controls";
        }
    }
    EXPECT_FALSE(frmNastroje->chkVysledkyNaSiti->toolTip().isEmpty());
    EXPECT_FALSE(frmNastroje->chkVysledkyNaSiti->isChecked());
    EXPECT_EQ(frmNastroje->lblAdresa->text(), QStringLiteral("Vypnuto"));
}

TEST_F(LiveResultsWindow, TickedItServesWhatTheOperatorCommitsAndTheChoiceIsKept) {
    openTools("vypnuto 0");
    op::click(*frmNastroje->chkVysledkyNaSiti);
    ASSERT_TRUE(frmNastroje->chkVysledkyNaSiti->isChecked());
    EXPECT_THAT(frmNastroje->lblAdresa->text().toStdString(), StartsWith("http://"));
    EXPECT_EQ(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::LiveResults)),
        "zapnuto 0\n");
    const quint16 port = shownPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(httpRequest(port, "/").status, 200);

    frmHlavni->activateWindow();
    selectCell(0, DRUZSTVO);
    type(QStringLiteral("Lhota"));
    EXPECT_FALSE(phonePageShows(port, QStringLiteral("Lhota"))) << "still being typed";
    press(Qt::Key_Return);
    EXPECT_TRUE(phonePageShows(port, QStringLiteral("Lhota")));

    op::click(*frmNastroje->chkVysledkyNaSiti);
    EXPECT_FALSE(frmNastroje->chkVysledkyNaSiti->isChecked());
    EXPECT_EQ(frmNastroje->lblAdresa->text(), QStringLiteral("Vypnuto"));
    EXPECT_EQ(httpRequest(port, "/").status, 0) << "nothing listens any more";
    EXPECT_EQ(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::LiveResults)),
        "vypnuto 0\n");
}

TEST_F(LiveResultsWindow, ACommitElsewhereIsReadOnceForTheGridTheProjectorAndThePhones) {
    openTools("zapnuto 0");
    op::click(*frmNastroje->btnProjekce);
    ASSERT_TRUE(frmProjekce->isVisible());
    const quint16 port = shownPort();
    ASSERT_NE(port, 0);
    const auto settle = [] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 500) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    };
    settle();
    const long long before = db::RowReader::wholeReads();

    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Orel' WHERE CISLO = 1");
    competition().live().databaseChanged();
    EXPECT_TRUE(phonePageShows(port, QStringLiteral("Orel")));
    settle();
    EXPECT_EQ(db::RowReader::wholeReads() - before, 2) << "one read of each round's table";
    EXPECT_EQ(frmHlavni->IBOQuery1.value(0, DRUZSTVO), db::FieldValue(std::string("Orel")));
    ASSERT_FALSE(frmProjekce->lines().empty());
    EXPECT_EQ(frmProjekce->lines()[0].team, QStringLiteral("Orel"));

    // Sorted by a title, the grid keeps its own order; the pages keep theirs.
    clickTitle(DRUZSTVO);
    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Adam' WHERE CISLO = 2");
    competition().live().databaseChanged();
    EXPECT_TRUE(phonePageShows(port, QStringLiteral("Adam")));
    const auto gridRowOf = [](const char* team) {
        const db::ResultSet& rows = frmHlavni->IBOQuery1;
        int row = 0;
        while (row < rows.recordCount() &&
               rows.value(row, DRUZSTVO) != db::FieldValue(std::string(team))) {
            ++row;
        }
        return row;
    };
    EXPECT_LT(gridRowOf("Adam"), gridRowOf("Orel"));
    EXPECT_LT(gridRowOf("Orel"), frmHlavni->IBOQuery1.recordCount());
    QTRY_COMPARE_WITH_TIMEOUT(frmProjekce->lines().size(), std::size_t{2}, 1000);
}

TEST_F(LiveResultsWindow, AKeptChoiceServesFromTheStart) {
    openTools("zapnuto 0");
    EXPECT_TRUE(frmNastroje->chkVysledkyNaSiti->isChecked());
    ASSERT_NE(shownPort(), 0);
    EXPECT_EQ(httpRequest(shownPort(), "/zdravi").status, 200);
}

TEST_F(LiveResultsWindow, ADamagedChoiceIsToldAndServesNothing) {
    openTools("zapnout 8080");
    EXPECT_FALSE(frmNastroje->chkVysledkyNaSiti->isChecked());
    EXPECT_EQ(frmNastroje->lblAdresa->text().toStdString(),
              "Soubor vysledky-na-siti.txt, řádek 1: „zapnout“ není zapnuto ani vypnuto.");
}

TEST_F(LiveResultsWindow, ABusyPortIsToldAndTheBoxStaysClear) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::Any));
    openTools("vypnuto " + std::to_string(taken.serverPort()));
    op::click(*frmNastroje->chkVysledkyNaSiti);
    EXPECT_FALSE(frmNastroje->chkVysledkyNaSiti->isChecked());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(),
                HasSubstr("port " + std::to_string(taken.serverPort()) + " už používá"));
    EXPECT_EQ(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::LiveResults)),
        "vypnuto " + std::to_string(taken.serverPort()) + "\n");
}

// The server process this program started, found among its children.
pid_t resultsServer() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid() &&
            name == "(zlt-results-ser)") {
            return static_cast<pid_t>(std::stol(pid));
        }
    }
    return 0;
}

// A server that fell is back on its address after a pause, and the tools window says so
// once; the operator's typing goes on meanwhile.
TEST_F(LiveResultsWindow, AFallenServerIsStartedAgainAndTheToolsWindowSaysSo) {
    openTools("zapnuto 0");
    const quint16 port = shownPort();
    const pid_t server = resultsServer();
    ASSERT_NE(server, 0);
    ASSERT_EQ(::kill(server, SIGKILL), 0);
    frmHlavni->activateWindow();
    selectCell(0, DRUZSTVO);
    type(QStringLiteral("Lhota"));
    press(Qt::Key_Return);
    QElapsedTimer clock;
    clock.start();
    while (!frmNastroje->lblAdresa->text().contains(QStringLiteral("znovu běží")) &&
           clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_THAT(frmNastroje->lblAdresa->text().toStdString(),
                ::testing::HasSubstr("Výsledky na síti se zastavily a v "));
    EXPECT_THAT(frmNastroje->lblAdresa->text().toStdString(), ::testing::HasSubstr("http://"));
    EXPECT_TRUE(frmNastroje->chkVysledkyNaSiti->isChecked());
    EXPECT_NE(resultsServer(), server);
    EXPECT_TRUE(phonePageShows(port, QStringLiteral("Lhota")));
}

// Continuation mode chosen in the finals window reaches every finals standings page the
// program makes: the served one, the tools window's export and the printed sheet.
TEST_F(LiveResultsWindow, ContinuationModeShowsTheStartingValuesOnEveryFinalsStandingsPage) {
    const std::map<QString, QString> startingValues = continuingFinalists(folder.database());
    openTools("zapnuto 0");
    const quint16 port = shownPort();
    ASSERT_NE(port, 0);
    const auto served = [&](const std::map<QString, QString>& shown) {
        return servedPageShows(port, "/finale-poradi.html", [&](const QString& page) {
            return startingValueColumn(tableRows(page)) == shown;
        });
    };
    EXPECT_TRUE(served({})) << "no starting values before the mode is chosen";

    op::click(*frmHlavni->btnFinale);
    op::click(*frmFinale->rbPokracovani);
    EXPECT_TRUE(served(startingValues)) << httpRequest(port, "/finale-poradi.html").body.data();

    const fs::path web = folder.path() / "web";
    fs::create_directory(web);
    dialogs.answerInputs(QString::fromStdString(web.string()));
    op::click(*frmNastroje->btnExport);
    EXPECT_EQ(startingValueColumn(
                  tableRows(QString::fromStdString(fileBytes(web / "finale-poradi.html")))),
              startingValues);
    op::inPreview([&] { op::click(*frmFinale->btnTiskCelkem); },
                  [&](reports::PreviewWindow& preview) {
                      EXPECT_EQ(startingValueColumn(printedLines(preview.pages())), startingValues);
                  });
}

}  // namespace
}  // namespace zlt::test

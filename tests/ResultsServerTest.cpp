#include <gmock/gmock.h>

#include <signal.h>
#include <sys/resource.h>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "competition/Competition.h"
#include "competition/EventDetails.h"
#include "reports/sheets/Export.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/GuiApplication.h"
#include "tests/support/Http.h"
#include "tests/support/PageQuery.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/TempEventFolder.h"
#include "web/ResultsFeed.h"
#include "web/ResultsServer.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// The server as the program runs it: the pages made here from the rows of a new event
// folder, served by the server's own process.
class ResultsServerTest : public ::testing::Test {
protected:
    ResultsServerTest() { ensureGuiApplication(); }

    void SetUp() override {
        competition.openPreliminary();
        competition.openFinals();
        competition.details().load();
    }

    web::ResultsFeed& start() {
        feed = std::make_unique<web::ResultsFeed>(competition);
        feed->start(0, false);
        EXPECT_TRUE(served(web::ResultsServer::kHealth, QStringLiteral("Poslední změna")));
        return *feed;
    }
    quint16 port() const { return feed->port(); }

    // Types a field of a preliminary row and posts it, as the grid does.
    void post(int row, const char* field, const std::string& value) {
        db::ResultSet& rows = competition.preliminary();
        rows.moveTo(row);
        rows.edit();
        rows.setField(field, value);
        rows.post();
    }

    // Turns the event loop until the page served shows the text (or no longer does), at most
    // a few seconds.
    bool served(const QByteArray& path, const QString& text, int milliseconds = 3000,
                bool shown = true) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            if (QString::fromUtf8(httpRequest(port(), path).body).contains(text) == shown) {
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return false;
    }

    TempEventFolder folder;
    WorkingDirectory inFolder{folder.path()};
    competition::Competition competition;
    std::unique_ptr<web::ResultsFeed> feed;
};

std::vector<QByteArray> exportedPages() {
    std::vector<QByteArray> pages{"/index.html", "/prubezne-poradi.html", "/finale-poradi.html",
                                  "/celkove-poradi.html"};
    for (int discipline = 1; discipline <= 6; ++discipline) {
        pages.push_back("/disciplina-" + QByteArray::number(discipline) + ".html");
    }
    for (int discipline = 1; discipline <= 3; ++discipline) {
        pages.push_back("/finale-disciplina-" + QByteArray::number(discipline) + ".html");
    }
    return pages;
}

TEST_F(ResultsServerTest, ServesEveryPageWithTheSafetyHeadersAndNoBannerOrCookie) {
    start();
    std::vector<std::pair<QByteArray, QByteArray>> pages{{"/", "text/html"},
                                                         {"/predkolo.csv", "text/csv"},
                                                         {"/finale.csv", "text/csv"},
                                                         {"/zdravi", "text/plain"},
                                                         {"/zive.js", "text/javascript"}};
    for (const QByteArray& page : exportedPages()) {
        pages.push_back({page, "text/html"});
    }
    for (const auto& [path, type] : pages) {
        SCOPED_TRACE(path.toStdString());
        const HttpAnswer answer = httpRequest(port(), path);
        EXPECT_EQ(answer.status, 200);
        EXPECT_THAT(answer.header("content-type").toStdString(), StartsWith(type.toStdString()));
        EXPECT_EQ(answer.header("x-content-type-options"), "nosniff");
        EXPECT_THAT(answer.header("content-security-policy").toStdString(),
                    HasSubstr("default-src 'none'; script-src 'self'"));
        EXPECT_FALSE(answer.has("server"));
        EXPECT_FALSE(answer.has("set-cookie"));
        EXPECT_FALSE(answer.body.isEmpty());
    }
    const HttpAnswer phone = httpRequest(port(), "/");
    EXPECT_THAT(phone.body.toStdString(), HasSubstr("name=\"viewport\""));
    EXPECT_THAT(phone.body.toStdString(), HasSubstr("Poslední změna"));
    EXPECT_THAT(phone.body.toStdString(),
                ::testing::ContainsRegex("<script src=\"/zive.js\" data-verze=\"[0-9]+\" defer>"));
    EXPECT_THAT(httpRequest(port(), "/zdravi").body.toStdString(), StartsWith("Poslední změna: "));
}

// The index shows the address to open with its QR code, a picture of its own.
TEST_F(ResultsServerTest, TheIndexShowsTheAddressAsAQrCode) {
    start();
    const std::string address = "http://127.0.0.1:" + std::to_string(port()) + "/";
    const std::string index = httpRequest(port(), "/index.html").body.toStdString();
    EXPECT_THAT(index, HasSubstr("<img src=\"/adresa.svg\""));
    EXPECT_THAT(index, HasSubstr("alt=\"QR kód adresy " + address + "\""));
    const HttpAnswer code = httpRequest(port(), "/adresa.svg");
    EXPECT_EQ(code.status, 200);
    EXPECT_EQ(code.header("content-type"), "image/svg+xml");
    QXmlStreamReader svg(code.body);
    while (!svg.atEnd()) {
        svg.readNext();
    }
    EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    // A version-2 code at least (25 modules) with the quiet zone: 33 a side or more.
    EXPECT_THAT(code.body.toStdString(),
                ::testing::ContainsRegex("viewBox=\"0 0 (3[3-9]|[4-9][0-9])"));
}

// The pages and the CSV files are the export's own, with the live script added, and the
// address below the index.
TEST_F(ResultsServerTest, PagesAreTheExportsOwn) {
    post(0, "DRUZSTVO", "Horní Dolní");
    start();
    TempFolder exported;
    for (const auto& file : reports::exportResults(
             competition, reports::optionsWithoutGrid(competition), exported.path())) {
        const QByteArray path = "/" + QByteArray::fromStdString(file.filename().string());
        SCOPED_TRACE(path.toStdString());
        QByteArray served = httpRequest(port(), path).body;
        for (const QByteArray& added :
             {QByteArray("<script src=\"/zive.js\""), QByteArray("<p><img src=\"/adresa.svg\"")}) {
            if (const qsizetype at = served.indexOf(added); at >= 0) {
                served.remove(at, served.indexOf('\n', at) + 1 - at);
            }
        }
        EXPECT_EQ(served.toStdString(), fileBytes(file));
    }
    EXPECT_THAT(httpRequest(port(), "/predkolo.csv").body.toStdString(), HasSubstr("Horní Dolní"));
}

// Without a grid to follow, a page lists its teams by what it shows: a discipline by its
// placing, the standings by rank and then total; unplaced teams come last. The index tells
// apart the two pages that share a heading while the details are unconfirmed.
TEST_F(ResultsServerTest, PagesListTheTeamsByWhatTheyShow) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = 'Tým ' || CISLO, "
            "BOD2 = DECODE(CISLO, 1, 3, 2, 3, 3, 4, 4, 1, 5, 2), "
            "PORADI = DECODE(CISLO, 1, 5, 2, 7, 3, 6, 6, 5), "
            "CELKEM = DECODE(CISLO, 1, 12, 4, 20, 5, 10, 6, 30) WHERE CISLO <= 6");
    competition.preliminary().refresh();
    start();
    const auto teams = [&](const QByteArray& path) {
        std::vector<QString> named;
        for (const auto& row : tableRows(QString::fromUtf8(httpRequest(port(), path).body))) {
            for (const QString& cell : row) {
                if (cell.startsWith(QStringLiteral("Tým "))) {
                    named.push_back(cell.mid(4));
                }
            }
        }
        return named;
    };
    using Teams = std::vector<QString>;
    EXPECT_EQ(teams("/disciplina-2.html"), (Teams{"4", "5", "1", "2", "3", "6"}));
    EXPECT_EQ(teams("/prubezne-poradi.html"), (Teams{"1", "6", "3", "2", "5", "4"}));
    EXPECT_EQ(teams("/celkove-poradi.html"), (Teams{"1", "6", "3", "2", "5", "4"}));

    static const QRegularExpression link(QStringLiteral("<a href=\"[^\"]*\">([^<]*)</a>"));
    std::vector<QString> titles;
    for (const auto& found :
         link.globalMatch(QString::fromUtf8(httpRequest(port(), "/index.html").body))) {
        titles.push_back(found.captured(1));
    }
    EXPECT_EQ(titles.size(), 14u);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(std::adjacent_find(titles.begin(), titles.end()), titles.end())
        << "two links read alike";
}

TEST_F(ResultsServerTest, HeadAnswersTheHeadersWithoutTheBody) {
    start();
    const HttpAnswer get = httpRequest(port(), "/index.html");
    const HttpAnswer head = httpRequest(port(), "/index.html", "HEAD");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.header("content-length"), QByteArray::number(get.body.size()));
    EXPECT_TRUE(head.body.isEmpty());
}

TEST_F(ResultsServerTest, OnlyReadingIsAllowed) {
    start();
    for (const QByteArray method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        SCOPED_TRACE(method.toStdString());
        const HttpAnswer answer = httpRequest(port(), "/index.html", method);
        EXPECT_EQ(answer.status, 405);
        EXPECT_EQ(answer.header("allow"), "GET, HEAD");
    }
}

// Nothing but the generated pages: the event folder's files, however the path is spelt,
// are not found, and no name is ever turned into a file.
TEST_F(ResultsServerTest, PathsOutsideThePagesAreNotFound) {
    start();
    for (const char* path :
         {"/../Nastaveni.txt", "/%2e%2e/Nastaveni.txt", "/%2E%2E%2FNastaveni.txt",
          "/..%2f..%2fetc%2fpasswd", "/Nastaveni.txt", "/ZLT04.GDB", "/zmeny.csv", "/zalohy/",
          "//etc/passwd", "/etc/passwd", "/index.html%00", "/index.html%00.csv", "/index.html/",
          "/INDEX.HTML", "/disciplina-7.html", "/disciplina-1.html.bak",
          "http://127.0.0.1/../Nastaveni.txt"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(rawStatus(port(), QByteArray("GET ") + path + " HTTP/1.1"), 404);
    }
}

TEST_F(ResultsServerTest, OversizedRequestsAreRefused) {
    start();
    EXPECT_EQ(rawStatus(port(), "GET /" + QByteArray(3000, 'a') + " HTTP/1.1"), 414);

    QByteArray manyHeaders = "GET /index.html HTTP/1.1";
    for (int header = 0; header < 100; ++header) {
        manyHeaders += "\r\nX-" + QByteArray::number(header) + ": 1";
    }
    // More header lines than allowed: cut off unanswered.
    EXPECT_EQ(rawStatus(port(), manyHeaders), 0);

    // Headers that never end are cut off before the server buffers them all.
    RawHttp endless(port());
    endless.send("GET /index.html HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    for (int line = 0; line < 40 && endless.received().isEmpty(); ++line) {
        endless.send("X-Padding: " + QByteArray(1000, 'x') + "\r\n");
        endless.readUntil("HTTP/1.1", 20);
    }
    EXPECT_TRUE(endless.closedWithin(2000));
    EXPECT_THAT(endless.received().toStdString(), Not(HasSubstr("200 OK")));
    EXPECT_EQ(httpRequest(port(), "/index.html").status, 200);
}

TEST_F(ResultsServerTest, HostileNamesAndSettingsShowAsText) {
    post(0, "DRUZSTVO", "<script>alert(1)</script>");
    post(0, "CELKEM", "7");
    competition.details().setText(competition::EventDetails::Place, "<img src=x onerror=alert(2)>");
    competition.details().setText(competition::EventDetails::FirstDiscipline, "</td><b>x");
    start();
    for (const QByteArray path : {"/", "/disciplina-1.html", "/prubezne-poradi.html"}) {
        SCOPED_TRACE(path.toStdString());
        const std::string page = httpRequest(port(), path).body.toStdString();
        EXPECT_THAT(page, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt;"));
        EXPECT_THAT(page, Not(HasSubstr("<script>alert")));
        EXPECT_THAT(page, Not(HasSubstr("<img")));
        EXPECT_THAT(page, Not(HasSubstr("<b>x")));
    }
    EXPECT_THAT(httpRequest(port(), "/").body.toStdString(),
                HasSubstr("&lt;img src=x onerror=alert(2)&gt;"));
    EXPECT_THAT(httpRequest(port(), "/disciplina-1.html").body.toStdString(),
                HasSubstr("&lt;/td&gt;&lt;b&gt;x"));
}

// A committed placing reaches the streams and the pages; a row still being typed does not.
TEST_F(ResultsServerTest, ACommittedChangeReachesTheStreamAndNoTypedRowShows) {
    start();
    RawHttp stream(port());
    stream.send("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const std::string opened = stream.readUntil("retry: 1000\n\n").toStdString();
    EXPECT_THAT(opened, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(opened, HasSubstr("text/event-stream"));
    stream.clear();

    post(0, "DRUZSTVO", "Lhota");
    post(0, "CELKEM", "9");
    QElapsedTimer clock;
    clock.start();
    // The change carries the page as it now is: nothing more need be asked.
    const QString told = QString::fromUtf8(stream.readUntil("Lhota"));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_THAT(told.toStdString(),
                ::testing::ContainsRegex("id: [0-9]+\nevent: zmena\ndata: \\{"));
    EXPECT_THAT(httpRequest(port(), "/").body.toStdString(), HasSubstr("Lhota"));

    post(2, "DRUZSTVO", "Zapsaná");
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(3);
    rows.edit();
    rows.setField("DRUZSTVO", std::string("Jen napsaná"));
    for (const QByteArray path : {"/", "/prubezne-poradi.html", "/predkolo.csv"}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(served(path, QStringLiteral("Zapsaná")));
        EXPECT_THAT(httpRequest(port(), path).body.toStdString(), Not(HasSubstr("Jen napsaná")));
    }
    rows.cancel();
}

TEST_F(ResultsServerTest, ThePhonePageShowsTheFinalsOnceTheyAreScored) {
    start();
    EXPECT_THAT(httpRequest(port(), "/").body.toStdString(),
                HasSubstr("Základní část – průběžné pořadí"));
    db::ResultSet& finals = competition.finals();
    finals.first();
    finals.edit();
    finals.setField("DRUZSTVO", std::string("Finalista"));
    finals.setField("FCELKEM", std::string("3"));
    finals.post();
    EXPECT_TRUE(served("/", QStringLiteral("Finalista")));
    EXPECT_THAT(httpRequest(port(), "/").body.toStdString(), HasSubstr("Finále – pořadí"));
}

// The standings are provisional while the check finds something in their round: after a
// commit that makes a finding, until the commit that mends it, and after a change of a
// discipline's kind alone.
TEST_F(ResultsServerTest, ThePhonePageIsProvisionalWhileItsRoundHasFindings) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Lhota' ELSE 'Ves' END, "
            "DISCIPLINA1 = CASE CISLO WHEN 1 THEN '70' ELSE '65' END, BOD1 = CISLO, BOD2 = CISLO, "
            "BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, CELKEM = 6 * CISLO "
            "WHERE CISLO <= 2");
    competition.rereadRows();
    start();
    const QString provisional = QStringLiteral("<p class=\"predbezne\">Předběžné výsledky</p>");
    EXPECT_THAT(httpRequest(port(), "/").body.toStdString(),
                Not(HasSubstr(provisional.toStdString())));

    post(1, "CELKEM", "11");
    EXPECT_TRUE(served("/", provisional)) << "a total that is not the placings' sum";
    post(1, "CELKEM", "12");
    EXPECT_TRUE(served("/", provisional, 3000, false));

    competition::DisciplineRules rules;
    rules.preliminary[0].kind = competition::ResultKind::Time;
    competition.check().setRules(rules);
    EXPECT_TRUE(served("/", provisional)) << "Ves ran faster and is placed 2nd";
}

TEST_F(ResultsServerTest, ABusyPortIsNamedInCzech) {
    start();
    web::ResultsFeed second(competition);
    try {
        second.start(port(), false);
        ADD_FAILURE() << "the second server listened on a busy port";
    } catch (const std::exception& error) {
        EXPECT_THAT(error.what(), HasSubstr("port " + std::to_string(port())));
        EXPECT_THAT(error.what(), HasSubstr("už používá jiný program"));
    }
}

// After a restart the pages do not pass old results off as fresh: the time shown is the
// newest change the journal holds.
TEST_F(ResultsServerTest, TheLastChangeShownIsTheJournalsNotTheStart) {
    start();
    EXPECT_TRUE(served("/", QStringLiteral("Poslední změna –")));
    post(0, "DRUZSTVO", "Lhota");
    const std::vector<competition::JournalEntry> entries = competition.journal().entries();
    ASSERT_FALSE(entries.empty());
    feed.reset();
    QTest::qWait(1100);
    start();
    EXPECT_TRUE(served("/", QStringLiteral("Poslední změna ") +
                                entries.back().time.toString(QStringLiteral("H:mm:ss"))));
}

// Whatever ends the server (here SIGKILL), the phones get it back on the port they know,
// with every page, and it follows the changes again.
TEST_F(ResultsServerTest, AServerKilledComesBackOnItsPortWithItsPages) {
    post(0, "DRUZSTVO", "Před pádem");
    start();
    const quint16 before = port();
    bool restarted = false;
    QObject::connect(feed.get(), &web::ResultsFeed::restarted, [&] { restarted = true; });
    ASSERT_EQ(::kill(static_cast<pid_t>(feed->server().processId()), SIGKILL), 0);
    QElapsedTimer clock;
    clock.start();
    while (!restarted && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_TRUE(restarted);
    EXPECT_EQ(port(), before);
    EXPECT_TRUE(served("/", QStringLiteral("Před pádem")));
    post(1, "DRUZSTVO", "Po pádu");
    EXPECT_TRUE(served("/", QStringLiteral("Po pádu")));
}

int openDescriptors(qint64 process) {
    const std::filesystem::path folder = "/proc/" + std::to_string(process) + "/fd";
    std::error_code error;
    const auto files = std::filesystem::directory_iterator(folder, error);
    return error ? -1 : static_cast<int>(std::distance(begin(files), end(files)));
}

// Clients that send their requests a byte at a time, more of them than the server may have
// files open, from many addresses: the server turns the excess away at once, cuts the rest
// off when their time is up, and serves again by itself; the program's own writes never
// wait for any of it.
TEST_F(ResultsServerTest, ASlowRequestFloodPassesWithoutReachingTheProgram) {
    post(0, "DRUZSTVO", "Před útokem");
    start();
    const auto server = static_cast<pid_t>(feed->server().processId());
    constexpr rlim_t kFiles = 128;
    const rlimit few{kFiles, kFiles};
    ASSERT_EQ(::prlimit(server, RLIMIT_NOFILE, &few, nullptr), 0);

    std::vector<std::unique_ptr<RawHttp>> flood;
    for (int client = 0; client < 300; ++client) {
        flood.push_back(
            std::make_unique<RawHttp>(port(), QStringLiteral("127.0.0.%1").arg(2 + client % 12)));
        flood.back()->send("G");
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_LT(openDescriptors(server), static_cast<int>(kFiles));
    const HttpAnswer turnedAway = httpRequest(port(), "/");
    EXPECT_EQ(turnedAway.status, 503);
    EXPECT_EQ(turnedAway.header("retry-after"), "10");

    QElapsedTimer clock;
    clock.start();
    post(0, "DRUZSTVO", "Během útoku");
    if (!kUnderSanitizer) {
        EXPECT_LT(clock.elapsed(), 1000) << "the program waited for the server";
    }

    // A byte every two seconds would keep an idle clock going for ever; the request's own
    // time is what ends them.
    const auto open = [&] {
        return std::count_if(flood.begin(), flood.end(), [](const auto& client) {
            return client->socket().state() == QAbstractSocket::ConnectedState;
        });
    };
    clock.restart();
    QElapsedTimer drip;
    drip.start();
    while (open() > 0 && clock.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (drip.elapsed() > 2000) {
            drip.restart();
            for (const auto& client : flood) {
                if (client->socket().state() == QAbstractSocket::ConnectedState) {
                    client->send("E");
                }
            }
        }
    }
    EXPECT_EQ(open(), 0);
    EXPECT_TRUE(served("/", QStringLiteral("Během útoku")));
    EXPECT_LT(openDescriptors(server), 40) << "connections the clients left were kept";
}

}  // namespace
}  // namespace zlt::test

// The served pages in a real browser: headless Chromium driven through its DevTools protocol,
// with the results server as the program runs it, in a process of its own. The live script
// runs nowhere else: here it follows commits without a reload, shares one stream among the
// tabs of a browser, waits its turn at a full server and says when it lost touch.
#include <gmock/gmock.h>
#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "competition/Competition.h"
#include "tests/support/GuiApplication.h"
#include "tests/support/Http.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/TempEventFolder.h"
#include "web/ResultsFeed.h"
#include "web/ResultsServer.h"
#include "web/ServedPages.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const QString kBanner = QStringLiteral("Spojení se serverem přerušeno");

// Turns the event loop until the condition holds or the time is up. It sleeps between looks
// instead of spinning: Chromium and the server share the processor with the test.
template <typename Condition>
bool within(int milliseconds, Condition condition) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(10);
    while (!condition()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QString address(quint16 port, const char* path = "/") {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path));
}

// A headless Chromium with one profile, over one DevTools connection in which each tab is a
// session of its own. It keeps the browser's log of the streams of changes the tabs opened.
class Browser {
public:
    // A stream (EventSource) as the network log has it: the status it was answered with,
    // none yet while it is asked; ended once the browser or the server closed it.
    struct Stream {
        QString session;
        int status = 0;
        bool ended = false;
    };

    explicit Browser(const std::filesystem::path& profile) {
        QStringList arguments{
            QStringLiteral("--headless"),
            QStringLiteral("--disable-gpu"),
            QStringLiteral("--no-first-run"),
            QStringLiteral("--no-default-browser-check"),
            QStringLiteral("--remote-debugging-port=0"),
            QStringLiteral("--window-size=360,740"),
            QStringLiteral("--user-data-dir=") + QString::fromStdString(profile.string()),
            QStringLiteral("about:blank")};
        // Chromium's sandbox refuses to run as root; CI runs it as the ordinary user.
        if (geteuid() == 0) {
            arguments.prepend(QStringLiteral("--no-sandbox"));
        }
        process_.start(QStringLiteral("chromium"), arguments);
        connectToBrowser();
    }
    ~Browser() {
        socket_.close();
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool ready() const { return socket_.state() == QAbstractSocket::ConnectedState; }

    // Sends a command to the browser, or to the tab of the session, and waits for its answer.
    QJsonObject call(const QString& method, const QJsonObject& params = {},
                     const QString& session = {}) {
        const int id = ++lastId_;
        QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
        if (!session.isEmpty()) {
            message.insert("sessionId", session);
        }
        socket_.sendTextMessage(
            QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        within(10000, [&] { return answers_.contains(id) || !ready(); });
        return answers_.take(id).value("result").toObject();
    }

    // A new blank tab whose requests are logged from the start; its session.
    QString newTab() {
        const QString target =
            call(QStringLiteral("Target.createTarget"), {{"url", QStringLiteral("about:blank")}})
                .value("targetId")
                .toString();
        const QString session =
            call(QStringLiteral("Target.attachToTarget"), {{"targetId", target}, {"flatten", true}})
                .value("sessionId")
                .toString();
        for (const char* domain : {"Network.enable", "Runtime.enable", "Log.enable"}) {
            call(QString::fromLatin1(domain), {}, session);
        }
        targets_.insert(session, target);
        return session;
    }
    // Closes the tab as its user would: the page is told it goes.
    void closeTab(const QString& session) {
        call(QStringLiteral("Target.closeTarget"), {{"targetId", targets_.value(session)}});
    }

    // Streams the server took and still holds.
    int openStreams() const {
        return streams([](const Stream& s) { return s.status == 200 && !s.ended; });
    }
    // Streams asked for and not yet answered.
    int askedStreams() const {
        return streams([](const Stream& s) { return s.status == 0 && !s.ended; });
    }
    int refusedStreams() const {
        return streams([](const Stream& s) { return s.status == 503; });
    }
    int askedInAll() const { return static_cast<int>(streams_.size()); }
    // The session of the tab that holds the one open stream; none when not just one is open.
    QString leader() const {
        QString leader;
        for (const Stream& stream : streams_) {
            if (stream.status == 200 && !stream.ended) {
                if (!leader.isEmpty()) {
                    return {};
                }
                leader = stream.session;
            }
        }
        return leader;
    }
    // Heartbeats the streams brought.
    int heartbeats() const { return heartbeats_; }
    // What the pages threw, and the errors they logged but the network's.
    const QStringList& errors() const { return errors_; }

private:
    int streams(bool (*which)(const Stream&)) const {
        return static_cast<int>(std::count_if(streams_.cbegin(), streams_.cend(), which));
    }

    void connectToBrowser() {
        static const QRegularExpression listening(
            QStringLiteral("DevTools listening on (ws://\\S+)"));
        QString said;
        QRegularExpressionMatch found;
        within(30000, [&] {
            said += QString::fromUtf8(process_.readAllStandardError());
            found = listening.match(said);
            return found.hasMatch() || process_.state() == QProcess::NotRunning;
        });
        if (!found.hasMatch()) {
            ADD_FAILURE() << "chromium gave no DevTools address: " << said.toStdString();
            return;
        }
        QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            if (message.contains("id")) {
                answers_.insert(message.value("id").toInt(), message);
            } else {
                logStream(message);
                logError(message);
            }
        });
        socket_.open(QUrl(found.captured(1)));
        within(10000, [&] { return ready(); });
    }

    void logStream(const QJsonObject& event) {
        const QString method = event.value("method").toString();
        const QJsonObject params = event.value("params").toObject();
        const QString request =
            event.value("sessionId").toString() + '/' + params.value("requestId").toString();
        if (method == QStringLiteral("Target.detachedFromTarget")) {
            // A closed tab's connections went with it.
            for (Stream& stream : streams_) {
                stream.ended =
                    stream.ended || stream.session == params.value("sessionId").toString();
            }
        } else if (method == QStringLiteral("Network.requestWillBeSent")) {
            if (params.value("type").toString() == QStringLiteral("EventSource")) {
                streams_.insert(request, {event.value("sessionId").toString()});
            }
        } else if (!streams_.contains(request)) {
            return;
        } else if (method == QStringLiteral("Network.eventSourceMessageReceived")) {
            heartbeats_ += params.value("eventName").toString() == QStringLiteral("tep");
        } else if (method == QStringLiteral("Network.responseReceived")) {
            streams_[request].status = params.value("response").toObject().value("status").toInt();
        } else if (method == QStringLiteral("Network.loadingFinished") ||
                   method == QStringLiteral("Network.loadingFailed")) {
            streams_[request].ended = true;
        }
    }

    // The network's failures are what some tests are about; any other error is the pages'.
    void logError(const QJsonObject& event) {
        const QString method = event.value("method").toString();
        const QJsonObject params = event.value("params").toObject();
        if (method == QStringLiteral("Runtime.exceptionThrown")) {
            const QJsonObject details = params.value("exceptionDetails").toObject();
            errors_ << details.value("exception")
                           .toObject()
                           .value("description")
                           .toString(details.value("text").toString());
        } else if (method == QStringLiteral("Log.entryAdded")) {
            const QJsonObject entry = params.value("entry").toObject();
            if (entry.value("level").toString() != QStringLiteral("error") ||
                entry.value("source").toString() == QStringLiteral("network")) {
                return;
            }
            errors_ << entry.value("level").toString() + " " + entry.value("source").toString() +
                           ": " + entry.value("text").toString();
        }
    }

    QProcess process_;
    QWebSocket socket_;
    int lastId_ = 0;
    QHash<int, QJsonObject> answers_;
    QHash<QString, QString> targets_;
    QHash<QString, Stream> streams_;
    int heartbeats_ = 0;
    QStringList errors_;
};

// A tab of the browser.
class Tab {
public:
    Tab(Browser& browser, QString session) : browser_(&browser), session_(std::move(session)) {}

    QJsonObject call(const QString& method, const QJsonObject& params = {}) {
        return browser_->call(method, params, session_);
    }
    // The value of a JavaScript expression in the page.
    QJsonValue evaluate(const QString& expression) {
        return call(QStringLiteral("Runtime.evaluate"),
                    {{"expression", expression}, {"returnByValue", true}})
            .value("result")
            .toObject()
            .value("value");
    }
    QString text() { return evaluate(QStringLiteral("document.body.innerText")).toString(); }
    bool shows(const QString& text) { return this->text().contains(text); }
    // What the page says of its connection: "ano", "ne", or nothing before its script ran.
    QString connection() {
        return evaluate(QStringLiteral("document.documentElement.dataset.spojeni || ''"))
            .toString();
    }
    void phoneSized() {
        call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
             {{"width", 360}, {"height", 740}, {"deviceScaleFactor", 2}, {"mobile", true}});
    }
    void navigate(const QString& url) {
        url_ = url;
        call(QStringLiteral("Page.navigate"), {{"url", url}});
    }
    const QString& url() const { return url_; }
    // The page navigated to is loaded, and so is its live script.
    bool loaded() {
        return evaluate(QStringLiteral("document.URL")).toString() == url_ &&
               evaluate(QStringLiteral("document.readyState")).toString() ==
                   QStringLiteral("complete") &&
               !connection().isEmpty();
    }
    bool open(const QString& url) {
        navigate(url);
        return within(10000, [&] { return loaded(); });
    }
    const QString& session() const { return session_; }
    void close() { browser_->closeTab(session_); }
    QByteArray screenshot() {
        call(QStringLiteral("Page.bringToFront"));
        return QByteArray::fromBase64(
            call(QStringLiteral("Page.captureScreenshot")).value("data").toString().toLatin1());
    }

private:
    Browser* browser_;
    QString session_;
    QString url_;
};

class LivePagesInBrowser : public ::testing::Test {
protected:
    LivePagesInBrowser() { ensureGuiApplication(); }

    void SetUp() override {
        competition.openPreliminary();
        competition.openFinals();
        competition.details().load();
    }
    void TearDown() override {
        // Whatever else went on, the pages' scripts threw nothing and broke no policy.
        if (browser) {
            EXPECT_TRUE(browser->errors().isEmpty()) << browser->errors().join('\n').toStdString();
        }
        if (HasFailure() && browser && browser->ready() && shown) {
            save(shown->screenshot(),
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        }
    }

    static void save(const QByteArray& png, const std::string& name) {
        const std::filesystem::path artifacts = ZLT_BROWSER_ARTIFACTS;
        std::filesystem::create_directories(artifacts);
        std::ofstream(artifacts / (name + ".png"), std::ios::binary)
            .write(png.constData(), png.size());
    }

    void post(int row, const std::string& team, const std::string& total) {
        db::ResultSet& rows = competition.preliminary();
        rows.moveTo(row);
        rows.edit();
        rows.setField("DRUZSTVO", team);
        rows.setField("CELKEM", total);
        rows.post();
    }

    // The server as the program runs it, in a process of its own, on this computer alone.
    web::ResultsFeed& serve(quint16 port = 0) {
        feed = std::make_unique<web::ResultsFeed>(competition);
        feed->start(port, false);
        return *feed;
    }
    Tab& newTab() {
        if (!browser) {
            browser = std::make_unique<Browser>(profile.path());
        }
        tabs.emplace_back(*browser, browser->newTab());
        return tabs.back();
    }
    // A tab at a phone's size, the one a failed test shows in its screenshot.
    Tab& phone() {
        Tab& tab = newTab();
        tab.phoneSized();
        shown = &tab;
        return tab;
    }

    TempEventFolder folder;
    WorkingDirectory inFolder{folder.path()};
    TempFolder profile;
    competition::Competition competition;
    std::unique_ptr<web::ResultsFeed> feed;
    std::unique_ptr<Browser> browser;
    std::deque<Tab> tabs;
    Tab* shown = nullptr;
};

// A commit reaches every open page within a second; under the sanitizers, which slow the
// program and the browser's feed several times over, only its arrival is checked.
void expectPrompt(qint64 milliseconds) {
    if (!test::kUnderSanitizer) {
        EXPECT_LT(milliseconds, 1000) << "shown after " << milliseconds << " ms";
    }
}

TEST_F(LivePagesInBrowser, TheStandingsFitAPhoneAndFollowACommitWithinASecondWithoutReload) {
    post(0, "Horní Lhota", "12");
    post(1, "SDH Dolní Ves nad Vltavou", "9");
    const quint16 port = serve().port();
    Tab& tab = phone();
    ASSERT_TRUE(browser->ready());
    ASSERT_TRUE(tab.open(address(port)));
    ASSERT_TRUE(within(10000, [&] { return browser->openStreams() == 1; }))
        << "the page opened no stream";

    const QString text = tab.text();
    EXPECT_THAT(text.toStdString(), HasSubstr("SDH Dolní Ves nad Vltavou"));
    EXPECT_THAT(text.toStdString(), HasSubstr("Poslední změna"));
    EXPECT_THAT(text.toStdString(), Not(HasSubstr(kBanner.toStdString())));
    EXPECT_EQ(tab.connection(), QStringLiteral("ano"));
    EXPECT_EQ(tab.evaluate(QStringLiteral("window.innerWidth")).toInt(), 360);
    EXPECT_LE(tab.evaluate(QStringLiteral("document.documentElement.scrollWidth")).toInt(), 360)
        << "the page is wider than the phone";
    EXPECT_GE(
        tab.evaluate(QStringLiteral(
                         "parseFloat(getComputedStyle(document.querySelector('td')).fontSize)"))
            .toDouble(),
        16.0);

    // A mark in the page's window survives a change of its body, not a reload.
    tab.evaluate(QStringLiteral("window.zltMark = 'stejná stránka'"));
    QElapsedTimer sinceCommit;
    post(2, "Nová Ves", "3");
    sinceCommit.start();
    const bool arrived = within(3000, [&] { return tab.shows(QStringLiteral("Nová Ves")); });
    const qint64 latency = sinceCommit.elapsed();
    ASSERT_TRUE(arrived) << "the committed team never showed";
    expectPrompt(latency);
    EXPECT_EQ(tab.evaluate(QStringLiteral("window.zltMark")).toString(),
              QStringLiteral("stejná stránka"))
        << "the page was reloaded";
    EXPECT_EQ(
        tab.evaluate(QStringLiteral("document.querySelector('tbody td:nth-child(2)').textContent"))
            .toString(),
        QStringLiteral("Nová Ves"))
        << "the lowest total is first";
    std::printf("commit to browser: %lld ms\n", static_cast<long long>(latency));
}

// Each tab notes when the text first shows, by its own clock, which is the computer's as the
// test's: looking at ten tabs in turn would make the last a round late.
void watchFor(const std::vector<Tab*>& tabs, const QString& text) {
    for (Tab* tab : tabs) {
        tab->evaluate(QStringLiteral("window.zltShown = 0; new MutationObserver((_, observer) => {"
                                     "  if (document.body.textContent.includes('%1')) {"
                                     "    zltShown = Date.now(); observer.disconnect(); }"
                                     "}).observe(document.documentElement,"
                                     "           {childList: true, subtree: true});")
                          .arg(text));
    }
}

// How long after the moment (in milliseconds since the epoch) each tab showed the text it was
// watching for; -1 for a tab that did not within the time.
std::vector<qint64> timesToShow(const std::vector<Tab*>& tabs, qint64 since, int milliseconds) {
    std::vector<qint64> times(tabs.size(), -1);
    within(milliseconds, [&] {
        for (std::size_t i = 0; i < tabs.size(); ++i) {
            const auto shown = static_cast<qint64>(
                tabs[i]->evaluate(QStringLiteral("window.zltShown")).toDouble());
            if (times[i] < 0 && shown > 0) {
                times[i] = shown - since;
            }
        }
        return std::find(times.begin(), times.end(), -1) == times.end();
    });
    return times;
}

// A browser keeps only about six connections to one server: were every tab to hold a stream,
// the seventh tab would not even load. The tabs show different pages, each its own; when the
// tab that holds the stream is closed, another takes it over.
TEST_F(LivePagesInBrowser, TenTabsShareOneStreamAndEachShowsACommitWithinASecond) {
    post(0, "Horní Lhota", "12");
    const quint16 port = serve().port();
    const char* paths[] = {"/", "/prubezne-poradi.html", "/celkove-poradi.html"};
    // Opened together, the tabs all look for a leader at about the same moment.
    for (int i = 0; i < 10; ++i) {
        newTab().navigate(address(port, paths[i % 3]));
    }
    std::vector<Tab*> all;
    std::vector<QString> titles;
    for (Tab& tab : tabs) {
        ASSERT_TRUE(within(10000, [&] { return tab.loaded(); }))
            << tab.url().toStdString() << " did not load";
        tab.evaluate(QStringLiteral("window.zltMark = 'stejná stránka'"));
        all.push_back(&tab);
        titles.push_back(tab.evaluate(QStringLiteral("document.title")).toString());
    }
    shown = &tabs.back();
    // Two tabs that took the lead at once settle on one.
    ASSERT_TRUE(
        within(10000, [&] { return browser->openStreams() == 1 && browser->askedStreams() == 0; }))
        << browser->openStreams() << " streams open";

    watchFor(all, QStringLiteral("Dolní Lhota"));
    post(1, "Dolní Lhota", "7");
    const std::vector<qint64> times = timesToShow(all, QDateTime::currentMSecsSinceEpoch(), 5000);
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i]->url().toStdString());
        EXPECT_GE(times[i], 0) << "the committed team never showed";
        expectPrompt(times[i]);
        EXPECT_EQ(all[i]->evaluate(QStringLiteral("window.zltMark")).toString(),
                  QStringLiteral("stejná stránka"))
            << "the page was reloaded";
        EXPECT_EQ(all[i]->evaluate(QStringLiteral("document.title")).toString(), titles[i])
            << "the tab shows another page";
    }
    EXPECT_EQ(browser->openStreams(), 1);
    std::printf("commit to the slowest of ten tabs: %lld ms, %d streams asked in all\n",
                static_cast<long long>(*std::max_element(times.begin(), times.end())),
                browser->askedInAll());

    const QString leader = browser->leader();
    const auto leading =
        std::find_if(all.begin(), all.end(), [&](Tab* tab) { return tab->session() == leader; });
    ASSERT_NE(leading, all.end());
    (*leading)->close();
    all.erase(leading);
    shown = all.back();
    QElapsedTimer sinceClosed;
    sinceClosed.start();
    ASSERT_TRUE(within(10000, [&] {
        return browser->openStreams() == 1 && browser->askedStreams() == 0 &&
               browser->leader() != leader;
    })) << "no other tab took the stream over";
    const qint64 takeover = sinceClosed.elapsed();
    watchFor(all, QStringLiteral("Lhota pod Lesem"));
    post(2, "Lhota pod Lesem", "5");
    const std::vector<qint64> next = timesToShow(all, QDateTime::currentMSecsSinceEpoch(), 5000);
    EXPECT_EQ(std::count(next.begin(), next.end(), -1), 0) << "a tab lost track";
    expectPrompt(*std::max_element(next.begin(), next.end()));
    std::printf("another tab took the stream over in %lld ms\n", static_cast<long long>(takeover));
}

// At the bound on streams the page is turned away with 503 and says it is not up to date; it
// asks again by itself, and once a stream is free it gets the change it missed.
TEST_F(LivePagesInBrowser, APageRefusedAtTheStreamLimitFollowsOnceAStreamIsFree) {
    post(0, "Horní Lhota", "12");
    web::ServedPages pages(competition);
    pages.refresh();
    web::ResultsServer server(web::ResultsServer::Limits{.streams = 1});
    server.start(0, false);
    web::PageUpdate update = web::difference({}, pages.all());
    update.version = 1;
    update.lastChange = pages.lastChange();
    server.publish(update);

    auto holder = std::make_unique<RawHttp>(server.port());
    holder->send("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_THAT(holder->readUntil("retry:").toStdString(), HasSubstr("200 OK"));
    Tab& tab = phone();
    ASSERT_TRUE(tab.open(address(server.port())));
    ASSERT_TRUE(within(10000, [&] {
        return browser->refusedStreams() >= 1 && tab.connection() == QStringLiteral("ne");
    })) << "the page was not refused, or did not say so";
    EXPECT_TRUE(tab.shows(kBanner));
    EXPECT_TRUE(tab.shows(QStringLiteral("Horní Lhota"))) << "the page itself was refused";

    holder.reset();
    ASSERT_TRUE(within(5000, [&] { return server.streamCount() == 0; }));
    const web::PageMap before = pages.all();
    post(1, "Dolní Lhota", "7");
    ASSERT_TRUE(pages.refresh());
    update = web::difference(before, pages.all());
    update.version = 2;
    update.lastChange = pages.lastChange();
    server.publish(update);
    QElapsedTimer sinceFreed;
    sinceFreed.start();
    EXPECT_TRUE(within(20000, [&] {
        return tab.shows(QStringLiteral("Dolní Lhota")) &&
               tab.connection() == QStringLiteral("ano");
    })) << "the page did not follow";
    EXPECT_FALSE(tab.shows(kBanner));
    EXPECT_EQ(server.streamCount(), 1);
    std::printf("refused %d times, followed %lld ms after the stream was free\n",
                browser->refusedStreams(), static_cast<long long>(sinceFreed.elapsed()));
}

// The server gone, the page says so at once; once a server is back on the port, the page
// catches up on what was committed meanwhile, still without a reload, and says no more.
TEST_F(LivePagesInBrowser, APageSaysWhenTheServerIsGoneAndCatchesUpOnceItIsBack) {
    post(0, "Horní Lhota", "12");
    const quint16 port = serve().port();
    Tab& tab = phone();
    ASSERT_TRUE(tab.open(address(port)));
    ASSERT_TRUE(within(10000, [&] { return browser->openStreams() == 1; }));
    tab.evaluate(QStringLiteral("window.zltMark = 'stejná stránka'"));

    feed.reset();
    QElapsedTimer sinceGone;
    sinceGone.start();
    ASSERT_TRUE(within(45000, [&] { return tab.connection() == QStringLiteral("ne"); }))
        << "the page did not notice";
    const qint64 noticed = sinceGone.elapsed();
    const QString text = tab.text();
    EXPECT_THAT(text.toStdString(), HasSubstr(kBanner.toStdString()));
    EXPECT_THAT(text.toStdString(), ::testing::ContainsRegex("naposledy [0-9]+:[0-9]{2}:[0-9]{2}"));
    EXPECT_THAT(text.toStdString(), HasSubstr("Horní Lhota")) << "the results went with it";
    // The banner stays in view over a long table, and within the phone's width.
    EXPECT_EQ(tab.evaluate(QStringLiteral("getComputedStyle(document.querySelector('[role=alert]'))"
                                          ".position"))
                  .toString(),
              QStringLiteral("sticky"));
    EXPECT_LE(tab.evaluate(QStringLiteral("document.documentElement.scrollWidth")).toInt(), 360);

    post(1, "Za výpadku", "5");
    serve(port);
    QElapsedTimer sinceBack;
    sinceBack.start();
    EXPECT_TRUE(within(20000, [&] {
        return tab.connection() == QStringLiteral("ano") && tab.shows(QStringLiteral("Za výpadku"));
    })) << "the page did not catch up";
    EXPECT_FALSE(tab.shows(kBanner));
    EXPECT_EQ(tab.evaluate(QStringLiteral("window.zltMark")).toString(),
              QStringLiteral("stejná stránka"))
        << "the page was reloaded";
    std::printf("noticed after %lld ms, back %lld ms after the server\n",
                static_cast<long long>(noticed), static_cast<long long>(sinceBack.elapsed()));
}

// A server that stops answering without closing anything (stopped here; as well a connection
// dead on the way) is noticed by its silence, which heartbeats alone keep from the page. The
// page asks again by itself and catches up once the server answers.
TEST_F(LivePagesInBrowser, APageSaysWhenTheServerFellSilentAndCatchesUpOnceItAnswers) {
    post(0, "Horní Lhota", "12");
    const quint16 port = serve().port();
    Tab& tab = phone();
    ASSERT_TRUE(tab.open(address(port)));
    ASSERT_TRUE(within(10000, [&] { return browser->openStreams() == 1; }));
    // The first heartbeat comes some 15 s after the server started; the silence is counted
    // from it, not from the page's opening.
    ASSERT_TRUE(within(20000, [&] { return browser->heartbeats() > 0; })) << "no heartbeat";

    const pid_t server = static_cast<pid_t>(feed->server().processId());
    ASSERT_GT(server, 0);
    ::kill(server, SIGSTOP);
    struct Resume {
        pid_t server;
        ~Resume() { ::kill(server, SIGCONT); }
    } resume{server};
    QElapsedTimer sinceStopped;
    sinceStopped.start();
    post(1, "Za ticha", "5");
    ASSERT_TRUE(within(45000, [&] { return tab.connection() == QStringLiteral("ne"); }))
        << "the page did not notice";
    const qint64 noticed = sinceStopped.elapsed();
    EXPECT_GT(noticed, 35000) << "the heartbeat did not count as word from the server";
    EXPECT_TRUE(tab.shows(kBanner));
    EXPECT_TRUE(within(3000, [&] {
        return browser->openStreams() == 0 && browser->askedStreams() == 1;
    })) << "the page did not give up the silent stream and ask again";

    ::kill(server, SIGCONT);
    QElapsedTimer sinceResumed;
    sinceResumed.start();
    EXPECT_TRUE(within(20000, [&] {
        return tab.connection() == QStringLiteral("ano") && tab.shows(QStringLiteral("Za ticha"));
    })) << "the page did not catch up";
    EXPECT_FALSE(tab.shows(kBanner));
    EXPECT_EQ(browser->openStreams(), 1);
    std::printf("noticed after %lld ms, caught up %lld ms after the server answered\n",
                static_cast<long long>(noticed), static_cast<long long>(sinceResumed.elapsed()));
}

// The longest name the field takes, with no space to break at, must not push the totals off
// a phone's screen.
TEST_F(LivePagesInBrowser, ALongNameLeavesTheTotalOnAPhonesScreen) {
    post(0, "Nejdelšíjménovesnicevůbec", "12");
    post(1, "Horní Lhota", "9");
    const quint16 port = serve().port();
    Tab& tab = phone();
    ASSERT_TRUE(tab.open(address(port)));
    ASSERT_TRUE(tab.shows(QStringLiteral("Nejdelšíjménovesnicevůbec")));
    const double right =
        tab.evaluate(
               QStringLiteral("[...document.querySelectorAll('th')].find("
                              "th => th.textContent == 'Celkem').getBoundingClientRect().right"))
            .toDouble();
    EXPECT_GT(right, 0.0);
    EXPECT_LE(right, 360.0) << "\"Celkem\" is off the screen";
    EXPECT_LE(tab.evaluate(QStringLiteral("document.documentElement.scrollWidth")).toInt(), 360);
}

}  // namespace
}  // namespace zlt::test

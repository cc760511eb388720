// The phone page in a real browser: headless Chromium driven through its DevTools
// protocol, at a phone's 360 × 740, following a committed change without a reload.
#include <gmock/gmock.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QWebSocket>
#include <filesystem>
#include <fstream>

#include "competition/Competition.h"
#include "tests/support/Application.h"
#include "tests/support/Http.h"
#include "tests/support/TempEventFolder.h"
#include "web/ResultsServer.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;

// Turns the event loop until the condition holds or the time is up.
template <typename Condition>
bool within(int milliseconds, Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A headless Chromium with one page, asked over the DevTools protocol.
class Browser {
public:
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
        connectToPage();
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

    QJsonObject call(const QString& method, const QJsonObject& params = {}) {
        const int id = ++lastId_;
        socket_.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
                .toJson(QJsonDocument::Compact)));
        within(10000, [&] { return answers_.contains(id); });
        return answers_.take(id);
    }
    // The value of a JavaScript expression in the page.
    QJsonValue evaluate(const QString& expression) {
        return call(QStringLiteral("Runtime.evaluate"),
                    {{"expression", expression}, {"returnByValue", true}})
            .value("result")
            .toObject()
            .value("result")
            .toObject()
            .value("value");
    }
    QByteArray screenshot() {
        return QByteArray::fromBase64(call(QStringLiteral("Page.captureScreenshot"))
                                          .value("result")
                                          .toObject()
                                          .value("data")
                                          .toString()
                                          .toLatin1());
    }

private:
    void connectToPage() {
        static const QRegularExpression listening(QStringLiteral("ws://127\\.0\\.0\\.1:(\\d+)/"));
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
        const auto port = static_cast<quint16>(found.captured(1).toUInt());
        QString page;
        within(10000, [&] {
            for (const QJsonValue target :
                 QJsonDocument::fromJson(httpRequest(port, "/json/list").body).array()) {
                if (target.toObject().value("type").toString() == QStringLiteral("page")) {
                    page = target.toObject().value("webSocketDebuggerUrl").toString();
                }
            }
            return !page.isEmpty();
        });
        QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            if (message.contains("id")) {
                answers_.insert(message.value("id").toInt(), message);
            }
        });
        socket_.open(QUrl(page));
        within(10000, [&] { return ready(); });
    }

    QProcess process_;
    QWebSocket socket_;
    int lastId_ = 0;
    QHash<int, QJsonObject> answers_;
};

class PhonePageInBrowser : public ::testing::Test {
protected:
    PhonePageInBrowser() { ensureApplication(); }

    void SetUp() override {
        competition.openPreliminary();
        competition.openFinals();
        competition.details().load();
    }
    void TearDown() override {
        if (HasFailure() && browser && browser->ready()) {
            const std::filesystem::path artifacts = ZLT_BROWSER_ARTIFACTS;
            std::filesystem::create_directories(artifacts);
            const QByteArray png = browser->screenshot();
            std::ofstream(artifacts / "telefon.png", std::ios::binary)
                .write(png.constData(), png.size());
        }
    }

    void post(int row, const std::string& team, const std::string& total) {
        db::ResultSet& rows = competition.preliminary();
        rows.moveTo(row);
        rows.edit();
        rows.setField("DRUZSTVO", team);
        rows.setField("CELKEM", total);
        rows.post();
    }

    TempEventFolder folder;
    WorkingDirectory inFolder{folder.path()};
    TempFolder profile;
    competition::Competition competition;
    std::unique_ptr<Browser> browser;
};

TEST_F(PhonePageInBrowser, TheStandingsFitAPhoneAndFollowACommitWithinASecondWithoutReload) {
    post(0, "Horní Lhota", "12");
    post(1, "SDH Dolní Ves nad Vltavou", "9");
    web::ResultsServer server(competition);
    server.start(0, false);
    browser = std::make_unique<Browser>(profile.path());
    ASSERT_TRUE(browser->ready());
    browser->call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
                  {{"width", 360}, {"height", 740}, {"deviceScaleFactor", 2}, {"mobile", true}});
    browser->call(QStringLiteral("Page.navigate"),
                  {{"url", QStringLiteral("http://127.0.0.1:%1/").arg(server.port())}});
    ASSERT_TRUE(within(10000, [&] {
        return browser->evaluate(QStringLiteral("document.readyState")).toString() ==
                   QStringLiteral("complete") &&
               server.streamCount() == 1;
    })) << "the page did not load and open its stream";

    const QString text = browser->evaluate(QStringLiteral("document.body.innerText")).toString();
    EXPECT_THAT(text.toStdString(), HasSubstr("SDH Dolní Ves nad Vltavou"));
    EXPECT_THAT(text.toStdString(), HasSubstr("Poslední změna"));
    EXPECT_EQ(browser->evaluate(QStringLiteral("window.innerWidth")).toInt(), 360);
    EXPECT_LE(browser->evaluate(QStringLiteral("document.documentElement.scrollWidth")).toInt(),
              360)
        << "the page is wider than the phone";
    EXPECT_GE(browser
                  ->evaluate(QStringLiteral(
                      "parseFloat(getComputedStyle(document.querySelector('td')).fontSize)"))
                  .toDouble(),
              16.0);

    // A mark in the page's window survives a change of its body, not a reload.
    browser->evaluate(QStringLiteral("window.zltMark = 'stejná stránka'"));
    QElapsedTimer sinceCommit;
    post(2, "Nová Ves", "3");
    sinceCommit.start();
    const bool shown = within(3000, [&] {
        return browser->evaluate(QStringLiteral("document.body.innerText"))
            .toString()
            .contains(QStringLiteral("Nová Ves"));
    });
    const qint64 latency = sinceCommit.elapsed();
    ASSERT_TRUE(shown) << "the committed team never showed";
    EXPECT_LT(latency, 1000) << "shown after " << latency << " ms";
    EXPECT_EQ(browser->evaluate(QStringLiteral("window.zltMark")).toString(),
              QStringLiteral("stejná stránka"))
        << "the page was reloaded";
    const QString first = browser
                              ->evaluate(QStringLiteral(
                                  "document.querySelector('tbody td:nth-child(2)').textContent"))
                              .toString();
    EXPECT_EQ(first, QStringLiteral("Nová Ves")) << "the lowest total is first";
    std::printf("commit to browser: %lld ms\n", static_cast<long long>(latency));
}

// The stream drops when the server goes; the page asks again by itself and, once the
// server is back, shows what was committed meanwhile, still without a reload.
TEST_F(PhonePageInBrowser, APageWhoseStreamDroppedCatchesUpOnceTheServerIsBack) {
    auto server = std::make_unique<web::ResultsServer>(competition);
    server->start(0, false);
    const quint16 port = server->port();
    browser = std::make_unique<Browser>(profile.path());
    ASSERT_TRUE(browser->ready());
    browser->call(QStringLiteral("Page.navigate"),
                  {{"url", QStringLiteral("http://127.0.0.1:%1/").arg(port)}});
    ASSERT_TRUE(within(10000, [&] { return server->streamCount() == 1; }));
    browser->evaluate(QStringLiteral("window.zltMark = 'stejná stránka'"));

    server.reset();
    post(0, "Za výpadku", "5");
    server = std::make_unique<web::ResultsServer>(competition);
    server->start(port, false);
    EXPECT_TRUE(within(5000, [&] {
        return browser->evaluate(QStringLiteral("document.body.innerText"))
            .toString()
            .contains(QStringLiteral("Za výpadku"));
    })) << "the page did not catch up";
    EXPECT_EQ(browser->evaluate(QStringLiteral("window.zltMark")).toString(),
              QStringLiteral("stejná stránka"));
}

}  // namespace
}  // namespace zlt::test

// The results server's own bounds and its stream, in this process, on pages the test
// hands it as the program would.
#include <gmock/gmock.h>

#include <sys/socket.h>
#include <QElapsedTimer>
#include <QTest>
#include <memory>

#include "tests/support/GuiApplication.h"
#include "tests/support/Http.h"
#include "web/PageUpdate.h"
#include "web/ResultsServer.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const QByteArray kHtml = "text/html; charset=utf-8";

web::ServedPage page(const QByteArray& text) {
    return {"<html><head><script src=\"/zive.js\" " + QByteArray(web::ResultsServer::kVersionMark) +
                " defer></script></head><body>" + text + "</body></html>",
            kHtml};
}

class ServerGuardTest : public ::testing::Test {
protected:
    ServerGuardTest() { ensureGuiApplication(); }

    void start(web::ResultsServer::Limits limits = {}) {
        server = std::make_unique<web::ResultsServer>(limits);
        server->start(0, false);
        publish({{"/", page("první")}, {"/a.html", page("A1")}, {"/b.html", page("B1")}});
    }
    quint16 port() const { return server->port(); }
    void publish(web::PageMap pages) {
        web::PageUpdate update;
        update.version = ++version;
        update.lastChange = QDateTime::currentDateTime();
        update.pages = std::move(pages);
        server->publish(update);
    }
    bool connectionsWithin(int count, int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (server->connectionCount() > count && clock.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return server->connectionCount() <= count;
    }

    std::unique_ptr<web::ResultsServer> server;
    qint64 version = 0;
};

TEST_F(ServerGuardTest, OneAddressOverItsBoundIsTurnedAwayWhileAnotherIsServed) {
    start({.perAddress = 4});
    std::vector<std::unique_ptr<RawHttp>> held;
    for (int client = 0; client < 4; ++client) {
        held.push_back(std::make_unique<RawHttp>(port(), QStringLiteral("127.0.0.2")));
    }
    RawHttp fifth(port(), QStringLiteral("127.0.0.2"));
    fifth.send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    const std::string refused = fifth.readUntil("\r\n\r\n").toStdString();
    EXPECT_THAT(refused, StartsWith("HTTP/1.1 503"));
    EXPECT_THAT(refused, HasSubstr("Retry-After: 10"));
    EXPECT_TRUE(fifth.closedWithin(1000));

    RawHttp other(port(), QStringLiteral("127.0.0.3"));
    other.send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_THAT(other.readUntil("</html>").toStdString(), StartsWith("HTTP/1.1 200"));
    held.pop_back();
    EXPECT_TRUE(connectionsWithin(4, 2000));
    EXPECT_EQ(rawStatus(port(), "GET / HTTP/1.1"), 200);
}

TEST_F(ServerGuardTest, ConnectionsInAllStopAtTheirBound) {
    start({.connections = 3});
    RawHttp first(port(), QStringLiteral("127.0.0.2"));
    RawHttp second(port(), QStringLiteral("127.0.0.3"));
    RawHttp third(port(), QStringLiteral("127.0.0.4"));
    EXPECT_TRUE(connectionsWithin(3, 1000));
    EXPECT_EQ(rawStatus(port(), "GET / HTTP/1.1"), 503);
}

// Time, not bytes, ends a request that never finishes: a byte now and then keeps nothing
// open; a connection that sends nothing goes the same way.
TEST_F(ServerGuardTest, ARequestMustArriveWholeInItsTime) {
    start({.requestTime = std::chrono::milliseconds(400)});
    RawHttp silent(port());
    RawHttp dripping(port());
    QElapsedTimer clock;
    clock.start();
    for (const char byte : QByteArray("GET / HTTP/1.1\r\nHost: x\r\n")) {
        if (dripping.socket().state() != QAbstractSocket::ConnectedState) {
            break;
        }
        dripping.send(QByteArray(1, byte));
        QTest::qWait(50);
    }
    EXPECT_LT(clock.elapsed(), 1500) << "the dripping request was not cut off in time";
    EXPECT_TRUE(dripping.closedWithin(500));
    EXPECT_TRUE(silent.closedWithin(500));
    EXPECT_THAT(dripping.received().toStdString(), Not(HasSubstr("200")));
}

TEST_F(ServerGuardTest, IdleConnectionsCloseButStreamsStay) {
    start({.idle = std::chrono::milliseconds(200)});
    RawHttp idle(port());
    idle.send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    idle.readUntil("</html>");
    RawHttp stream(port());
    stream.send("GET /zmeny HTTP/1.1\r\nHost: x\r\n\r\n");
    stream.readUntil("retry:");
    EXPECT_TRUE(idle.closedWithin(2000));
    EXPECT_FALSE(stream.closedWithin(500));
}

// A client that asks to close, or that has gone, holds nothing.
TEST_F(ServerGuardTest, ConnectionCloseIsHonouredAndALeftConnectionIsClosedAtOnce) {
    start();
    RawHttp closing(port());
    closing.send("GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(closing.closedWithin(1000));
    EXPECT_THAT(closing.received().toStdString(), HasSubstr("první"));

    RawHttp stream(port());
    stream.send("GET /zmeny HTTP/1.1\r\nHost: x\r\n\r\n");
    stream.readUntil("retry:");
    EXPECT_EQ(server->streamCount(), 1);
    // Half closed by the client: what is left on the server's side is closed at once, not
    // kept in CLOSE-WAIT.
    ::shutdown(static_cast<int>(stream.socket().socketDescriptor()), SHUT_WR);
    EXPECT_TRUE(connectionsWithin(0, 1500));
}

TEST_F(ServerGuardTest, StreamsBeyondTheirBoundGetServiceUnavailable) {
    start({.streams = 2});
    std::vector<std::unique_ptr<RawHttp>> streams;
    for (int stream = 0; stream < 2; ++stream) {
        streams.push_back(std::make_unique<RawHttp>(port()));
        streams.back()->send("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        EXPECT_THAT(streams.back()->readUntil("retry:").toStdString(), StartsWith("HTTP/1.1 200"));
    }
    EXPECT_EQ(rawStatus(port(), "GET /zmeny HTTP/1.1"), 503);
    EXPECT_EQ(rawStatus(port(), "GET / HTTP/1.1"), 200);
    streams.pop_back();
    QTest::qWait(200);
    EXPECT_EQ(rawStatus(port(), "GET /zmeny HTTP/1.1"), 200);
}

// A stream that comes back says what it saw last and gets what changed since, in the
// change's own event: the pages changed after that version, or all of them when it is
// older than the server remembers.
TEST_F(ServerGuardTest, AReturningStreamGetsWhatItMissed) {
    start({.versionsKept = 2});
    const qint64 first = version;
    publish({{"/a.html", page("A2")}});
    const qint64 second = version;
    publish({{"/b.html", page("B3")}});
    const auto opened = [&](const QByteArray& request) {
        RawHttp stream(port());
        stream.send(request + "\r\nHost: x\r\n\r\n");
        stream.readUntil("retry: 1000\n\n");
        return stream.readUntil("\n\n", 300).toStdString();
    };
    const std::string sinceSecond =
        opened("GET /zmeny?od=" + QByteArray::number(second) + " HTTP/1.1");
    EXPECT_THAT(sinceSecond, HasSubstr("id: " + std::to_string(version) + "\nevent: zmena\n"));
    EXPECT_THAT(sinceSecond, HasSubstr("B3"));
    EXPECT_THAT(sinceSecond, Not(HasSubstr("A2")));

    const std::string sinceFirst =
        opened("GET /zmeny HTTP/1.1\r\nLast-Event-ID: " + QByteArray::number(first));
    EXPECT_THAT(sinceFirst, HasSubstr("A2"));
    EXPECT_THAT(sinceFirst, HasSubstr("B3"));
    EXPECT_THAT(sinceFirst, Not(HasSubstr("první")));

    publish({{"/", page("druhá")}});
    const std::string tooOld = opened("GET /zmeny?od=" + QByteArray::number(first) + " HTTP/1.1");
    EXPECT_THAT(tooOld, HasSubstr("druhá"));
    EXPECT_THAT(tooOld, HasSubstr("A2"));
    EXPECT_THAT(tooOld, HasSubstr("B3"));

    const std::string upToDate =
        opened("GET /zmeny?od=" + QByteArray::number(version) + " HTTP/1.1");
    EXPECT_THAT(upToDate, Not(HasSubstr("zmena")));
    EXPECT_THAT(httpRequest(port(), "/a.html").body.toStdString(),
                HasSubstr("data-verze=\"" + std::to_string(version) + "\""));
}

// The pipe may cut an update anywhere; garbage on it is told, not taken for pages.
TEST(PageUpdateTest, UpdatesCrossThePipeWhateverItsCuts) {
    web::PageUpdate update;
    update.version = 1796921967147;
    update.lastChange = QDateTime(QDate(2026, 12, 10), QTime(17, 2, 3));
    update.problem = QStringLiteral("Výsledky nelze načíst");
    update.pages = {{"/", {"<p>ř</p>", kHtml}}, {"/x.csv", {QByteArray(70000, 'x'), "text/csv"}}};
    update.removed = {"/old.html"};
    web::PageUpdate next;
    next.version = 2;
    const QByteArray bytes = web::frame(update) + web::frame(next);
    web::FrameReader reader;
    std::vector<web::PageUpdate> read;
    for (qsizetype at = 0; at < bytes.size(); at += 997) {
        reader.append(bytes.mid(at, 997));
        while (auto next = reader.next()) {
            read.push_back(*next);
        }
    }
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], update);
    EXPECT_EQ(read[1].version, 2);

    web::FrameReader garbage;
    garbage.append("GET / HTTP/1.1\r\n\r\n");
    EXPECT_THROW(garbage.next(), std::runtime_error);
    web::FrameReader damaged;
    QByteArray cut = web::frame(update);
    cut[3] = static_cast<char>(cut[3] - 10);
    damaged.append(cut);
    EXPECT_THROW(damaged.next(), std::runtime_error);
}

TEST(PageUpdateTest, TheDifferenceNamesWhatIsNewChangedOrGone) {
    const web::PageMap served{{"/a", {"1", kHtml}}, {"/b", {"2", kHtml}}, {"/c", {"3", kHtml}}};
    const web::PageMap wanted{{"/a", {"1", kHtml}}, {"/b", {"2!", kHtml}}, {"/d", {"4", kHtml}}};
    const web::PageUpdate update = web::difference(served, wanted);
    EXPECT_EQ(update.pages, (web::PageMap{{"/b", {"2!", kHtml}}, {"/d", {"4", kHtml}}}));
    EXPECT_EQ(update.removed, std::vector<QByteArray>{"/c"});
}

}  // namespace
}  // namespace zlt::test

// zlt-event serve on a database server, beside a judges' table: the table's commit reaches
// the served pages and their stream through the server's events.
#include <gmock/gmock.h>

#include <QElapsedTimer>

#include "competition/Competition.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/FirebirdServer.h"
#include "tests/support/Http.h"
#include "tests/support/ServeProcess.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;

TEST(ServeOnServer, AnotherTablesCommitReachesThePagesWithinASecond) {
    if (const auto reason = FirebirdServer::unavailable()) {
        GTEST_SKIP() << *reason;
    }
    ensureCoreApplication();
    FirebirdServer server;
    const std::string location = server.newEventDatabase();
    TempEventFolder tableFolder;
    std::unique_ptr<competition::Competition> table;
    {
        const WorkingDirectory inFolder(tableFolder.path());
        table = std::make_unique<competition::Competition>(location);
        table->openPreliminary();
    }
    TempEventFolder servedFolder;
    ServeProcess serve;
    serve.start(QString::fromStdString(servedFolder.path().string()),
                {QStringLiteral("--database"), QString::fromStdString(location),
                 QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = serve.printedPort();
    ASSERT_NE(port, 0) << serve.process.readAllStandardError().toStdString();
    RawHttp stream(port);
    stream.send("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    stream.readUntil("retry:");
    stream.clear();

    db::ResultSet& rows = table->preliminary();
    rows.first();
    rows.edit();
    rows.setField("DRUZSTVO", std::string("Ze serveru"));
    rows.setField("CELKEM", std::string("4"));
    rows.post();
    QElapsedTimer clock;
    clock.start();
    EXPECT_THAT(stream.readUntil("event: zmena", 3000).toStdString(), HasSubstr("event: zmena"));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_THAT(httpRequest(port, "/").body.toStdString(), HasSubstr("Ze serveru"));
    EXPECT_THAT(httpRequest(port, "/predkolo.csv").body.toStdString(), HasSubstr("Ze serveru"));
}

}  // namespace
}  // namespace zlt::test

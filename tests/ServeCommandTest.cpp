// zlt-event serve as an organiser starts it: a process of its own on a real event folder,
// asked over real HTTP, and ended by a signal.
#include <gmock/gmock.h>
#include <signal.h>

#include <QTcpServer>

#include "database/Connection.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/Database.h"
#include "tests/support/Http.h"
#include "tests/support/ServeProcess.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;

class ServeCommand : public ::testing::Test {
protected:
    ServeCommand() { ensureCoreApplication(); }

    void start(const QStringList& more = {}) {
        serve.start(QString::fromStdString(folder.path().string()), more);
    }
    quint16 printedPort() { return serve.printedPort(); }
    int finished() { return serve.finished(); }

    TempEventFolder folder;
    ServeProcess serve;
    QByteArray& out = serve.out;
    QByteArray& err = serve.err;
};

TEST_F(ServeCommand, ServesTheFolderOverHttpAndEndsCleanlyOnTerm) {
    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Žďár', CELKEM = 5 WHERE CISLO = 1");
    start({QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = printedPort();
    ASSERT_NE(port, 0) << serve.process.readAllStandardError().toStdString();

    const HttpAnswer phone = httpRequest(port, "/");
    EXPECT_EQ(phone.status, 200);
    EXPECT_THAT(phone.body.toStdString(), HasSubstr("Žďár"));
    EXPECT_THAT(httpRequest(port, "/predkolo.csv").body.toStdString(), HasSubstr("Žďár"));
    EXPECT_EQ(httpRequest(port, "/disciplina-3.html").status, 200);
    EXPECT_EQ(httpRequest(port, "/zdravi").status, 200);
    EXPECT_EQ(httpRequest(port, "/index.html", "POST").status, 405);
    EXPECT_EQ(rawStatus(port, "GET /../Nastaveni.txt HTTP/1.1"), 404);
    EXPECT_EQ(rawStatus(port, "GET /%2e%2e/ZLT04.GDB HTTP/1.1"), 404);

    ::kill(static_cast<pid_t>(serve.process.processId()), SIGTERM);
    EXPECT_EQ(finished(), 0) << err.toStdString();
    EXPECT_THAT(out.toStdString(), HasSubstr("Výsledky na síti ukončeny."));
    // Detached: the folder's database opens again at once.
    db::Connection again;
    again.setPath(folder.database().string());
    EXPECT_NO_THROW(again.connect());
}

TEST_F(ServeCommand, ABusyPortIsNamed) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    start({QStringLiteral("--port=%1").arg(taken.serverPort())});
    EXPECT_EQ(finished(), 1);
    EXPECT_THAT(err.toStdString(), HasSubstr("port " + std::to_string(taken.serverPort()) +
                                             " už používá jiný program"));
}

TEST_F(ServeCommand, AFolderAnotherProgramHoldsPointsToTheToolsWindow) {
    db::Connection holder;
    holder.setPath(folder.database().string());
    holder.connect();
    start();
    EXPECT_EQ(finished(), 1);
    EXPECT_THAT(err.toStdString(), HasSubstr("má otevřenou jiný program"));
    EXPECT_THAT(err.toStdString(), HasSubstr("Nástroje (Výsledky na síti)"));
}

TEST_F(ServeCommand, ABadPortIsAUsageMistake) {
    start({QStringLiteral("--port"), QStringLiteral("osmdesát")});
    EXPECT_EQ(finished(), 2);
    EXPECT_THAT(err.toStdString(), HasSubstr("volba --port chce celé číslo"));
}

}  // namespace
}  // namespace zlt::test

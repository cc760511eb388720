// zlt-event serve as an organiser starts it: a process of its own on a real event folder,
// asked over real HTTP, and ended by a signal.
#include <gmock/gmock.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

#include "database/Connection.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/Database.h"
#include "tests/support/Http.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;

class ServeCommand : public ::testing::Test {
protected:
    ServeCommand() { ensureCoreApplication(); }
    ~ServeCommand() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    void start(QStringList more = {}) {
        process.start(
            QStringLiteral(ZLT_EVENT_TOOL),
            QStringList{QStringLiteral("serve"), QString::fromStdString(folder.path().string())} +
                more);
        process.waitForStarted(5000);
    }

    // The port of the loopback address it printed; 0 when it ended without one.
    quint16 printedPort() {
        static const QRegularExpression address(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            out += process.readAllStandardOutput();
            if (const auto found = address.match(QString::fromUtf8(out)); found.hasMatch()) {
                return static_cast<quint16>(found.captured(1).toUInt());
            }
            if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning) {
                break;
            }
        }
        return 0;
    }

    int finished() {
        process.waitForFinished(30000);
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    TempEventFolder folder;
    QProcess process;
    QByteArray out;
    QByteArray err;
};

TEST_F(ServeCommand, ServesTheFolderOverHttpAndEndsCleanlyOnTerm) {
    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Žďár', CELKEM = 5 WHERE CISLO = 1");
    start({QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = printedPort();
    ASSERT_NE(port, 0) << process.readAllStandardError().toStdString();

    const HttpAnswer phone = httpRequest(port, "/");
    EXPECT_EQ(phone.status, 200);
    EXPECT_THAT(phone.body.toStdString(), HasSubstr("Žďár"));
    EXPECT_THAT(httpRequest(port, "/predkolo.csv").body.toStdString(), HasSubstr("Žďár"));
    EXPECT_EQ(httpRequest(port, "/disciplina-3.html").status, 200);
    EXPECT_EQ(httpRequest(port, "/zdravi").status, 200);
    EXPECT_EQ(httpRequest(port, "/index.html", "POST").status, 405);
    EXPECT_EQ(rawStatus(port, "GET /../Nastaveni.txt HTTP/1.1"), 404);
    EXPECT_EQ(rawStatus(port, "GET /%2e%2e/ZLT04.GDB HTTP/1.1"), 404);

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
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

// zlt-event serve as an organiser starts it: a process of its own on a real event folder,
// asked over real HTTP, and ended by a signal.
#include <gmock/gmock.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "database/Connection.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/Database.h"
#include "tests/support/Http.h"
#include "tests/support/ServeProcess.h"

namespace zlt::test {
namespace {

using ::testing::HasSubstr;

// The results server process that the process PARENT started; 0 when it has none.
pid_t resultsServerOf(qint64 parent) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream statFile(entry.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        // pid (name) state ppid ...: the name may hold spaces and parentheses.
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos) {
            continue;
        }
        char state = 0;
        long ppid = 0;
        std::istringstream rest(stat.substr(nameEnd + 1));
        rest >> state >> ppid;
        std::ifstream cmdline(entry.path() / "cmdline");
        std::string program;
        std::getline(cmdline, program, '\0');
        if (ppid == parent && state != 'Z' &&
            std::filesystem::path(program).filename() == "zlt-results-server") {
            return static_cast<pid_t>(std::stol(name));
        }
    }
    return 0;
}

// Whether the process is gone, or a zombie its parent has yet to reap, within the time.
bool endsWithin(pid_t pid, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
        std::string stat;
        if (!std::getline(statFile, stat) || stat.substr(stat.rfind(')') + 2, 1) == "Z") {
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

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

// zlt-event blocks the end signals for its own handling; its server must not inherit that, or
// a plain kill, and the death signal the server asks for, would never end it.
TEST_F(ServeCommand, ItsServerEndsOnTermAndANewOneServesTheSamePort) {
    start({QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = printedPort();
    ASSERT_NE(port, 0) << serve.process.readAllStandardError().toStdString();
    const pid_t server = resultsServerOf(serve.process.processId());
    ASSERT_NE(server, 0);

    ::kill(server, SIGTERM);
    EXPECT_TRUE(endsWithin(server, 3000)) << "the results server ignored SIGTERM";
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (status != 200 && clock.elapsed() < 10000) {
        QThread::msleep(100);
        status = httpRequest(port, "/").status;
    }
    EXPECT_EQ(status, 200) << "no new server within 10 s";
    const pid_t again = resultsServerOf(serve.process.processId());
    EXPECT_NE(again, 0);
    EXPECT_NE(again, server);

    ::kill(static_cast<pid_t>(serve.process.processId()), SIGTERM);
    EXPECT_EQ(finished(), 0) << err.toStdString();
    if (again != 0) {
        EXPECT_TRUE(endsWithin(again, 3000)) << "the results server outlived zlt-event";
    }
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

// The ways a program on a server database ends, each in a child process of its own: the
// whole program as it starts (its windows, the listener for the other tables, the end
// signals), a placing written with Enter and one still being typed, then the ending. The
// child must end with the code the ending gives, never by a crash or a hang, and leave the
// typed rows in the database.
#include <gmock/gmock.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <iostream>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "app/Unattended.h"
#include "platform/DBGrid.h"
#include "platform/EndSignals.h"
#include "tests/support/Application.h"
#include "tests/support/FirebirdServer.h"
#include "tests/support/Operator.h"
#include "tests/support/TempEventFolder.h"
#include "tools/EventFolder.h"

namespace zlt::test {
namespace {

constexpr int BOD1 = 4;
// Longer than any ending takes, also under the sanitizers: past it the child is killed by
// SIGALRM, and a hang fails the test instead of stopping the suite.
constexpr unsigned kEndingLimitSeconds = 5;
// The child's own exit code when the main window never said that the server was lost.
constexpr int kLossNotShown = 70;

struct Ending {
    const char* name;
    std::function<void()> begin;  // run once the event loop turns
    int exitCode;
};

void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

void sendToSelf(int signal) {
    ::kill(::getpid(), signal);
}

const Ending kEndings[] = {
    {"Konec", [] { op::click(*frmHlavni->btnKonec); }, 0},
    {"ClosedMainWindow", [] { frmHlavni->close(); }, 0},
    {"SIGTERM", [] { sendToSelf(SIGTERM); }, 0},
    {"SIGHUP", [] { sendToSelf(SIGHUP); }, 0},
    {"SIGINT", [] { sendToSelf(SIGINT); }, 0},
    // What Qt does when the connection to the display breaks.
    {"LostDisplay", [] { std::exit(1); }, 1},
};

bool mainWindowSaysServerLost() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
        if (frmHlavni->lblDatabaze->text().contains(QStringLiteral("přerušeno"))) {
            return true;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return false;
}

class EndingOnServer : public ::testing::TestWithParam<Ending> {
protected:
    void SetUp() override {
        if (const auto reason = FirebirdServer::unavailable()) {
            GTEST_SKIP() << *reason;
        }
        // The child is forked, so this process leaves the client library (and the threads
        // it starts) untouched until the child is gone: the child makes the event folder.
        GTEST_FLAG_SET(death_test_style, "fast");
        server = std::make_unique<FirebirdServer>();
        location = server->isqlDatabase("zlt.fdb", ZLT_ISQL_LAYOUT);
    }

    // The child: the program started in the event folder with a placing written and,
    // unless the server is stopped first, one still being typed; then the ending.
    [[noreturn]] void runAndEnd(bool stopServerFirst) {
        platform::blockEndSignals();
        const std::filesystem::path folder = root.path() / "Závody ZLT";
        tools::createEventFolder(folder);
        std::filesystem::current_path(folder);
        ensureApplication();
        app::createWindows(location);
        frmHlavni->show();
        app::prepareForUnattendedEnd();
        QApplication::processEvents();
        op::clickCell(*frmHlavni->DBGrid1, 0, BOD1);
        op::type(QStringLiteral("4"));
        op::press(Qt::Key_Return);
        if (stopServerFirst) {
            server->kill();
            if (!mainWindowSaysServerLost()) {
                std::cerr << "the main window did not say that the server was lost\n";
                std::exit(kLossNotShown);
            }
        } else {
            op::clickCell(*frmHlavni->DBGrid1, 1, BOD1);
            op::type(QStringLiteral("3"));
        }
        QTimer::singleShot(0, GetParam().begin);
        ::alarm(kEndingLimitSeconds);
        const int code = QApplication::exec();
        app::endRun();
        std::exit(code);
    }

    // Each team's BOD1|CELKEM as stored, read by isql so that this process never loads the
    // client library, whose threads a later test's fork would not survive.
    std::vector<std::string> stored() {
        return server->isqlRows(
            location,
            "SELECT COALESCE(BOD1, '') || '|' || COALESCE(CELKEM, '') FROM DATAZLT ORDER BY CISLO");
    }

    TempFolder root;
    std::unique_ptr<FirebirdServer> server;
    std::string location;
};

TEST_P(EndingOnServer, writesTheTypedRowsAndEndsWithItsCode) {
    EXPECT_EXIT(runAndEnd(false), ::testing::ExitedWithCode(GetParam().exitCode), "");
    EXPECT_THAT(stored(), ::testing::ElementsAre("4|4", "3|", "|"))
        << "the placing written with Enter, then the row still being typed";
}

TEST_P(EndingOnServer, endsWithItsCodeWhenTheServerStoppedFirst) {
    EXPECT_EXIT(runAndEnd(true), ::testing::ExitedWithCode(GetParam().exitCode), "");
    server->kill();  // the child's kill left this process its server's exit to collect
    server->start();
    EXPECT_THAT(stored(), ::testing::ElementsAre("4|4", "|", "|"));
}

INSTANTIATE_TEST_SUITE_P(Endings, EndingOnServer, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zlt::test

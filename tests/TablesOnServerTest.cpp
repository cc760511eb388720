// Two judges' tables, each a competition core in its own event folder, sharing one
// database on a Firebird server of the test's own.
#include <gmock/gmock.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>

#include "competition/Competition.h"
#include "competition/OtherTables.h"
#include "database/WriteConflict.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/FirebirdServer.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"

namespace zlt::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Optional;

constexpr int BOD1 = 4, BOD2 = 6;

// One table: its own folder for the journal, the database on the server.
struct Table {
    explicit Table(const std::string& location) {
        const WorkingDirectory inFolder(folder.path());
        core = std::make_unique<competition::Competition>(location);
        core->openPreliminary();
        core->openFinals();
    }
    db::ResultSet& rows() { return core->preliminary(); }
    void type(int row, int field, int value) {
        rows().moveTo(row);
        rows().edit();
        rows().setField(field, value);
    }

    TempEventFolder folder;
    std::unique_ptr<competition::Competition> core;
};

// Turns the event loop until the condition holds or the time is up; true when it held.
bool within(std::chrono::milliseconds time, const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > time.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class TablesOnServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = FirebirdServer::unavailable()) {
            GTEST_SKIP() << *reason;
        }
        ensureCoreApplication();
        server = std::make_unique<FirebirdServer>();
        location = server->newEventDatabase();
        first = std::make_unique<Table>(location);
        second = std::make_unique<Table>(location);
    }
    static std::string shown(Table& table, int row, int field) {
        return db::displayText(table.rows().value(row, field));
    }

    std::unique_ptr<FirebirdServer> server;
    std::string location;
    std::unique_ptr<Table> first;
    std::unique_ptr<Table> second;
};

TEST_F(TablesOnServer, APostAtOneTableShowsAtTheOtherWithinASecondKeepingItsTypedRow) {
    int changes = 0;
    QObject::connect(&second->core->live(), &competition::LiveChanges::changed, [&] { ++changes; });
    second->type(3, BOD2, 7);  // the other table is typing meanwhile
    first->type(0, BOD1, 3);
    first->rows().post();
    EXPECT_TRUE(within(std::chrono::seconds(1), [&] { return shown(*second, 0, BOD1) == "3"; }))
        << "the other table's rows did not follow";
    EXPECT_GE(changes, 1);
    EXPECT_EQ(second->rows().recNo(), 3) << "its current row stays";
    EXPECT_EQ(db::displayText(second->rows().field(BOD2)), "7") << "its typed value stays";
    EXPECT_EQ(second->rows().state(), db::DataSetState::Edit);
}

TEST_F(TablesOnServer, AConflictingPostIsRefusedWithBothValuesAndNothingIsLost) {
    second->type(1, BOD1, 4);
    first->type(1, BOD1, 5);
    first->rows().post();
    EXPECT_THAT(thrownMessage<db::WriteConflict>([&] { second->rows().post(); }),
                Optional(AllOf(HasSubstr("je nyní 5"), HasSubstr("Vaše hodnota 4"))));
    EXPECT_EQ(db::displayText(second->rows().field(BOD1)), "4") << "the typed value is kept";
    second->rows().post();
    EXPECT_TRUE(within(std::chrono::seconds(1), [&] { return shown(*first, 1, BOD1) == "4"; }));
}

TEST_F(TablesOnServer, ALostServerIsToldAndTheTableReconnectsOnceItIsBack) {
    competition::LiveChanges& live = second->core->live();
    server->kill();
    EXPECT_TRUE(within(std::chrono::seconds(5), [&] { return !live.connected(); }));
    EXPECT_FALSE(live.connectionText().isEmpty());
    server->start();
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return live.connected(); }))
        << live.connectionText().toStdString();
    // The first table finds its attachment dead too, and attaches again as it re-reads.
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return first->core->live().connected(); }));
    first->type(2, BOD1, 9);
    first->rows().post();
    EXPECT_TRUE(within(std::chrono::seconds(1), [&] { return shown(*second, 2, BOD1) == "9"; }));
}

TEST_F(TablesOnServer, AnotherProgramAttachedIsCountedAsAnotherTableButThisOnesOwnAreNot) {
    EXPECT_EQ(competition::otherTables(first->core->connection()), 0)
        << "both cores and their listeners are this program";
    const TempFolder scratch;
    const std::string transcript = (scratch.path() / "isql.txt").string();
    FILE* other =
        popen(("isql-fb -q -user ZLT -password zlt > " + transcript + " 2>&1").c_str(), "w");
    std::fprintf(other, "CONNECT '%s';\nSELECT 'HELD' FROM RDB$DATABASE;\n", location.c_str());
    std::fflush(other);
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] {
        std::ifstream in(transcript);
        return std::string{std::istreambuf_iterator<char>(in), {}}.find("HELD") !=
               std::string::npos;
    }));
    EXPECT_EQ(competition::otherTables(first->core->connection()), 1);
    pclose(other);
}

}  // namespace
}  // namespace zlt::test

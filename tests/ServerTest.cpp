// Several judges' tables on one Firebird server: a server of the test's own on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/EventListener.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "database/Transaction.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FirebirdServer.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"
#include "tools/EventFolder.h"

namespace zlt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = test::FirebirdServer::unavailable()) {
            GTEST_SKIP() << *reason;
        }
        server_ = std::make_unique<test::FirebirdServer>();
        location_ = server_->newEventDatabase();
        writer_.setPath(location_);
        reader_.setPath(location_);
    }

    test::FirebirdServer& server() { return *server_; }

    // Posts a new team name in the fifth row through the writer's own result set.
    void postTeam(const std::string& team) {
        db::ResultSet rows("IBOQuery1", writer_, db::preliminaryFields(), "SELECT * FROM DATAZLT");
        rows.open();
        rows.moveTo(4);
        rows.edit();
        rows.setField("DRUZSTVO", team);
        rows.post();
    }

    std::unique_ptr<test::FirebirdServer> server_;
    std::string location_;
    db::Connection writer_{"judge 1"};
    db::Connection reader_{"judge 2"};
};

TEST_F(Server, RowPostedAtOneTableIsReadAtAnother) {
    postTeam("Hasiči Zeltov");
    db::ResultSet rows("IBOQuery1", reader_, db::preliminaryFields(), "SELECT * FROM DATAZLT");
    rows.open();
    EXPECT_TRUE(reader_.location().isServer());
    EXPECT_EQ(db::displayText(rows.value(4, rows.fieldPosition("DRUZSTVO"))), "Hasiči Zeltov");
}

TEST_F(Server, ListenerHearsEveryCommitWithinASecondAndNoRead) {
    test::EventRecorder recorder;
    db::EventListener listener(reader_, recorder.handler());

    postTeam("Sokol");
    const auto posted = Clock::now();
    ASSERT_TRUE(recorder.waitForChanges(1, 1s));
    EXPECT_LT(recorder.lastChange() - posted, 1s);

    db::Statement("IB_DSQL1", writer_, "UPDATE DATAZLT SET BOD1 = 7 WHERE CISLO = 3").execute();
    ASSERT_TRUE(recorder.waitForChanges(2, 1s));

    // Reading commits too, but changes nothing that another table would have to show.
    db::ResultSet rows("IBOQuery1", writer_, db::preliminaryFields(), "SELECT * FROM DATAZLT");
    rows.open();
    rows.refresh();
    EXPECT_FALSE(recorder.waitForChanges(3, 300ms));
}

TEST_F(Server, ListenerIsToldOfAStoppedServerAndReconnectsAfterIt) {
    test::EventRecorder recorder;
    db::EventListener listener(reader_, recorder.handler());
    server().kill();
    EXPECT_TRUE(recorder.waitForLoss(5s));
    EXPECT_THROW(listener.reconnect(), db::DatabaseError);

    server().start();
    listener.reconnect();
    db::Connection restarted("judge 1 again");
    restarted.setPath(location_);
    db::Statement("IB_DSQL1", restarted, "UPDATE DATAZLT SET BOD1 = 1 WHERE CISLO = 1").execute();
    EXPECT_TRUE(recorder.waitForChanges(1, 1s));
}

TEST_F(Server, SecondWriterOfARowGivesUpWithinSecondsAndWritesOnceItIsFree) {
    db::Statement first("IB_DSQL1", writer_, "UPDATE DATAZLT SET BOD1 = 1 WHERE CISLO = 5");
    db::Statement second("IB_DSQL1", reader_, "UPDATE DATAZLT SET BOD1 = 2 WHERE CISLO = 5");
    db::Transaction::together(writer_, [&] {
        first.execute();
        const auto started = Clock::now();
        EXPECT_TRUE(test::thrownMessage<db::DatabaseError>([&] { second.execute(); }));
        EXPECT_LT(Clock::now() - started, 6s);
    });
    EXPECT_NO_THROW(second.execute());
}

// The server that scripts/server.sh sets up on this machine, with its user ZLT.
TEST(SystemServer, FileItHoldsIsRefusedWithTheLocationToUseInstead) {
    if (!test::acceptsConnections(db::DatabaseLocation::kDefaultPort)) {
        GTEST_SKIP() << "no Firebird server on localhost:3050; scripts/server.sh starts one";
    }
    test::TempFolder folder;
    // The server writes there as its own user.
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    const std::string file = (folder.path() / "held.fdb").string();
    tools::createServerDatabase("localhost:" + file);
    db::Connection server("judge 1");
    server.setPath("localhost:" + file);
    server.connect();

    db::Connection local("judge 2");
    local.setPath(file);
    EXPECT_EQ(test::thrownMessage<db::DatabaseError>([&] { local.connect(); }),
              "Databáze je otevřena serverem; spusťte program s --database localhost:" + file);
}

}  // namespace
}  // namespace zlt

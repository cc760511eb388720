#include "database/EventListener.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/DatabaseLocation.h"
#include "database/Statement.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"

namespace zlt::db {
namespace {

using namespace std::chrono_literals;

TEST(DatabaseLocation, TellsServerLocationsFromFiles) {
    const DatabaseLocation file = DatabaseLocation::parse("/závody/ZLT04.GDB");
    EXPECT_FALSE(file.isServer());
    EXPECT_EQ(file.path(), "/závody/ZLT04.GDB");
    EXPECT_FALSE(DatabaseLocation::parse("C:\\Data\\ZLT04.GDB").isServer());

    const DatabaseLocation server = DatabaseLocation::parse("sokolovna:/data/zlt.fdb");
    EXPECT_TRUE(server.isServer());
    EXPECT_EQ(server.host(), "sokolovna");
    EXPECT_EQ(server.port(), DatabaseLocation::kDefaultPort);
    EXPECT_EQ(server.path(), "/data/zlt.fdb");
    EXPECT_EQ(server.text(), "sokolovna:/data/zlt.fdb");

    const DatabaseLocation aliased = DatabaseLocation::parse("10.0.0.5/3051:zlt");
    EXPECT_EQ(aliased.host(), "10.0.0.5");
    EXPECT_EQ(aliased.port(), 3051);
    EXPECT_EQ(aliased.path(), "zlt");
    EXPECT_EQ(aliased.describe(), "databáze zlt na serveru 10.0.0.5 (port 3051)");

    for (const char* wrong : {"host/x:/data/zlt.fdb", "host/70000:zlt", ":zlt", "host:"}) {
        EXPECT_THROW(DatabaseLocation::parse(wrong), DatabaseError) << wrong;
    }
}

TEST(DatabaseLocation, ServerCredentialsComeFromTheConnectionTheEnvironmentOrTheDefault) {
    unsetenv("ISC_USER");
    unsetenv("ISC_PASSWORD");
    Connection connection;
    connection.setPath("localhost:/data/zlt.fdb");
    EXPECT_EQ(connection.credentials().user, "ZLT");
    EXPECT_EQ(connection.credentials().password, "zlt");

    setenv("ISC_USER", "ROZHODCI", 1);
    setenv("ISC_PASSWORD", "tajne", 1);
    EXPECT_EQ(connection.credentials().user, "ROZHODCI");
    EXPECT_EQ(connection.credentials().password, "tajne");

    connection.setParam(Connection::kUserName, "SPRAVCE");
    connection.setPassword("heslo");
    EXPECT_EQ(connection.credentials().user, "SPRAVCE");
    EXPECT_EQ(connection.credentials().password, "heslo");

    // The embedded engine keeps the connection's own user, which owns the event's tables.
    Connection local;
    local.setPath("/data/ZLT04.GDB");
    EXPECT_EQ(local.credentials().user, "SYSDBA");
}

TEST(EventListener, HearsCommitsOfAnotherAttachmentInTheSameProcess) {
    test::TempEventFolder folder;
    Connection writer;
    writer.setPath(folder.database().string());
    test::EventRecorder recorder;
    {
        EventListener listener(writer, recorder.handler());
        Statement("IB_DSQL1", writer, "UPDATE DATAZLT SET BOD1 = 4 WHERE CISLO = 2").execute();
        EXPECT_TRUE(recorder.waitForChanges(1, 1s));
        Statement("IB_DSQL1", writer, "UPDATE DATAZLT SET BOD1 = 5 WHERE CISLO = 2").execute();
        EXPECT_TRUE(recorder.waitForChanges(2, 1s));
    }
    // Nothing reaches a listener that is gone.
    Statement("IB_DSQL1", writer, "UPDATE DATAZLT SET BOD1 = 6 WHERE CISLO = 2").execute();
    EXPECT_FALSE(recorder.waitForChanges(3, 300ms));
}

TEST(EventListener, RefusesADatabaseThatIsNotThere) {
    Connection missing;
    missing.setPath("/nonexistent/ZLT04.GDB");
    test::EventRecorder recorder;
    EXPECT_THROW(EventListener(missing, recorder.handler()), DatabaseError);
}

}  // namespace
}  // namespace zlt::db

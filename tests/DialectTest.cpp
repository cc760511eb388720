// Every statement the program runs, against a database of the tool (SQL dialect 3) and
// against one of dialect 1, as the events of earlier years have.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "competition/DatabaseReset.h"
#include "competition/StandingsMerge.h"
#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "finals/Finale.h"
#include "tests/support/MainWindowFixture.h"
#include "tools/EventFolder.h"

namespace zlt::test {
namespace {

constexpr int CISLO = 0, DRUZSTVO = 1, BOD1 = 4, PORADI = 16;
constexpr int CELKEMF = 17;
constexpr int FDRUZSTVO = 0, FCELKEM = 8, FPORADI = 9;

// The dialect written in the database's header, as the engine reports it.
int sqlDialect(const std::filesystem::path& file) {
    db::Connection connection("dialect");
    connection.setPath(file.string());
    connection.client();  // loads the client library
    using DatabaseInfo = decltype(&::isc_database_info);
    void* library = dlopen(db::FbClient::kLibraryFile, RTLD_NOW | RTLD_NOLOAD);
    const auto databaseInfo = reinterpret_cast<DatabaseInfo>(dlsym(library, "isc_database_info"));
    if (databaseInfo == nullptr) {
        throw std::runtime_error("isc_database_info is missing");
    }
    const char items[] = {isc_info_db_sql_dialect, isc_info_end};
    char answer[32] = {};
    ISC_STATUS_ARRAY status{};
    databaseInfo(status, connection.handle(), sizeof items, items, sizeof answer, answer);
    connection.client().check(status);
    dlclose(library);
    if (answer[0] != isc_info_db_sql_dialect) {
        throw std::runtime_error("no dialect in the answer");
    }
    return answer[3];
}

class EitherDialect : public MainWindowFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (GetParam() == 1) {
            // An event database as older events have it.
            std::filesystem::remove(folder.database());
            tools::createDatabase(folder.database(), 1);
        }
        ASSERT_EQ(sqlDialect(folder.database()), GetParam());
        startProgram();
        ASSERT_EQ(rows().recordCount(), 30);
    }

    std::vector<std::vector<db::FieldValue>> storedFinals() {
        return storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY");
    }
};

TEST_P(EitherDialect, RowsAreUpdatedInsertedAndDeleted) {
    db::ResultSet& set = rows();
    set.moveTo(1);
    set.edit();
    set.setField(DRUZSTVO, std::string("Dolní Bousov"));
    set.setField(BOD1, 2000000000);
    set.post();
    set.last();
    set.append();
    set.setField(CISLO, 31);
    set.setField(DRUZSTVO, std::string("Žďár \"U Lípy\" 'horní'"));
    set.post();
    set.moveTo(0);
    set.deleteRow();

    const auto table = stored();
    ASSERT_EQ(table.size(), 30u);
    EXPECT_EQ(table[0][CISLO], db::FieldValue(2));
    EXPECT_EQ(table[0][DRUZSTVO], db::FieldValue(std::string("Dolní Bousov")));
    EXPECT_EQ(table[0][BOD1], db::FieldValue(2000000000));
    EXPECT_EQ(table[29][DRUZSTVO], db::FieldValue(std::string("Žďár \"U Lípy\" 'horní'")));

    // A new row with nothing typed is written with the table's defaults.
    set.append();
    set.post();
    EXPECT_EQ(stored().size(), 31u);
}

TEST_P(EitherDialect, TitleClicksSortBothWays) {
    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 31 - CISLO");
    clickTitle(BOD1);
    EXPECT_EQ(rows().sql(), "SELECT * FROM DATAZLT ORDER BY BOD1 ASC");
    EXPECT_EQ(rows().value(0, CISLO), db::FieldValue(30));
    clickTitle(BOD1);
    EXPECT_EQ(rows().sql(), "SELECT * FROM DATAZLT ORDER BY BOD1 DESC");
    EXPECT_EQ(rows().value(0, CISLO), db::FieldValue(1));
}

TEST_P(EitherDialect, TheResetRefillsBothTables) {
    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Lhota', PORADI = CISLO");
    execute(folder.database(), "UPDATE DATAZLTF SET DRUZSTVO = 'Lhota'");
    competition::resetDatabase({frmHlavni->IB_DSQL1, frmHlavni->IBOQuery1},
                               {frmFinale->IB_DSQLF, frmFinale->IBOQueryF});
    const auto preliminary = stored();
    ASSERT_EQ(preliminary.size(), 30u);
    for (int row = 0; row < 30; ++row) {
        EXPECT_EQ(preliminary[row][CISLO], db::FieldValue(row + 1));
        EXPECT_TRUE(db::isNull(preliminary[row][DRUZSTVO]));
    }
    const auto finals = storedFinals();
    ASSERT_EQ(finals.size(), 12u);
    for (const auto& row : finals) {
        EXPECT_EQ(row[FDRUZSTVO], db::FieldValue(std::string(" ")));
    }
}

TEST_P(EitherDialect, TheMergeWritesTheFinalsIntoTheStandings) {
    execute(folder.database(), "UPDATE DATAZLT SET PORADI = 31 - CISLO");
    db::ResultSet& finals = frmFinale->IBOQueryF;
    for (int row = 0; row < 12; ++row) {
        finals.moveTo(row);
        finals.edit();
        finals.setField(FDRUZSTVO, "Tým " + std::to_string(row));
        finals.setField(FCELKEM, 100 + row);
        finals.setField(FPORADI, 12 - row);
        finals.post();
    }
    frmHlavni->IBOQuery1.refresh();
    competition::mergeFinalsIntoStandings(frmHlavni->IBOQuery1, finals);

    const auto table = stored("PORADI, CISLO");
    ASSERT_EQ(table.size(), 30u);
    EXPECT_EQ(table[0][CISLO], db::FieldValue(30)) << "the first in the preliminary order";
    EXPECT_EQ(table[0][DRUZSTVO], db::FieldValue(std::string("Tým 11")));
    EXPECT_EQ(table[0][PORADI], db::FieldValue(1));
    EXPECT_EQ(table[0][CELKEMF], db::FieldValue(111));
    EXPECT_EQ(table[11][CISLO], db::FieldValue(19));
    EXPECT_EQ(table[11][DRUZSTVO], db::FieldValue(std::string("Tým 0")));
    EXPECT_TRUE(db::isNull(table[12][DRUZSTVO])) << "only twelve rows take the finals";
}

INSTANTIATE_TEST_SUITE_P(SqlDialect, EitherDialect, ::testing::Values(1, 3),
                         [](const auto& info) { return "Dialect" + std::to_string(info.param); });

}  // namespace
}  // namespace zlt::test

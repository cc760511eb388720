#include "database/ResultSet.h"

#include <gtest/gtest.h>

#include "database/DatabaseError.h"
#include "tests/support/Database.h"

namespace zlt::db {
namespace {

constexpr int CISLO = 0, DRUZSTVO = 1, BOD1 = 4, BOD3 = 8, CELKEM = 15, CELKEMF = 17;

class ResultSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection.setPath(folder.database().string());
        query.open();
    }

    std::vector<std::vector<FieldValue>> stored(const std::string& orderBy = "CISLO") {
        return test::storedRows(folder.database(), preliminaryFields(), orderBy);
    }

    std::vector<int> numbersShown() {
        std::vector<int> numbers;
        for (int row = 0; row < query.recordCount(); ++row) {
            numbers.push_back(std::get<std::int32_t>(query.value(row, CISLO)));
        }
        return numbers;
    }

    test::TempEventFolder folder;
    Connection connection;
    ResultSet query{"IBOQuery1", connection, preliminaryFields(), "SELECT *  FROM DATAZLT"};
};

TEST_F(ResultSetTest, PresentsTheFixedFieldListOfASeededTable) {
    EXPECT_TRUE(query.active());
    EXPECT_EQ(query.state(), DataSetState::Browse);
    EXPECT_EQ(query.recordCount(), 30);
    EXPECT_EQ(query.recNo(), 0);
    EXPECT_EQ(query.fields().size(), 18);
    EXPECT_EQ(query.fields()[BOD3].name, "BOD3");
    EXPECT_EQ(query.fields()[BOD3].displayLabel, "3.Pořadí");
    EXPECT_FALSE(query.fields()[CELKEMF].visible);
    EXPECT_EQ(query.field(CISLO), FieldValue(1));
    EXPECT_TRUE(isNull(query.field(DRUZSTVO)));

    ResultSet finals("IBOQueryF", connection, finalsFields(), "SELECT * FROM DATAZLTF");
    finals.open();
    ASSERT_EQ(finals.recordCount(), 12);
    for (int row = 0; row < 12; ++row) {
        EXPECT_EQ(finals.value(row, 0), FieldValue(std::string(" ")));
    }
}

TEST_F(ResultSetTest, NullStaysNullAndZeroStaysZero) {
    query.edit();
    query.setField("BOD1", 0);
    query.setField("BOD3", std::string("7"));
    query.post();
    EXPECT_EQ(query.field(BOD1), FieldValue(0));
    EXPECT_EQ(query.field(BOD3), FieldValue(7)) << "typed text is stored as the integer";
    EXPECT_TRUE(isNull(query.field(CELKEM)));

    const auto rows = stored();
    EXPECT_EQ(rows[0][BOD1], FieldValue(0));
    EXPECT_EQ(rows[0][BOD3], FieldValue(7));
    EXPECT_TRUE(isNull(rows[0][CELKEM]));
    EXPECT_TRUE(isNull(rows[1][BOD1]));
}

TEST_F(ResultSetTest, PostCommitsAtOnceAndCancelDropsChanges) {
    query.moveTo(4);
    query.edit();
    query.setField("DRUZSTVO", std::string("Žďár nad Sázavou"));
    EXPECT_EQ(query.state(), DataSetState::Edit);
    EXPECT_TRUE(isNull(stored()[4][DRUZSTVO])) << "nothing is written before the post";
    query.post();
    EXPECT_EQ(query.state(), DataSetState::Browse);
    EXPECT_EQ(query.recNo(), 4);
    EXPECT_EQ(stored()[4][DRUZSTVO], FieldValue(std::string("Žďár nad Sázavou")));

    query.edit();
    query.setField("DRUZSTVO", std::string("Dolní Bousov"));
    query.cancel();
    EXPECT_EQ(query.field(DRUZSTVO), FieldValue(std::string("Žďár nad Sázavou")));
    EXPECT_EQ(stored()[4][DRUZSTVO], FieldValue(std::string("Žďár nad Sázavou")));
}

TEST_F(ResultSetTest, RefreshPostsAChangedRowAndDropsAnUntouchedOne) {
    query.moveTo(2);
    query.edit();
    query.setField("DRUZSTVO", std::string("Dolní Bousov"));
    query.refresh();
    EXPECT_EQ(query.state(), DataSetState::Browse);
    EXPECT_EQ(stored()[2][DRUZSTVO], FieldValue(std::string("Dolní Bousov")));

    query.insert();
    EXPECT_EQ(query.recordCount(), 31);
    query.refresh();
    EXPECT_EQ(query.recordCount(), 30) << "an untouched new row is not written";
    EXPECT_EQ(stored().size(), 30u);
}

TEST_F(ResultSetTest, RefreshKeepsTheOrderOfAReplacedTextAndTheCurrentRow) {
    query.moveTo(9);  // team 10
    query.edit();
    query.setField("BOD3", 1);
    query.post();
    query.moveTo(19);  // team 20
    query.edit();
    query.setField("BOD3", 2);
    query.post();

    query.setSql("SELECT * FROM DATAZLT ORDER BY BOD3 ASC");
    EXPECT_FALSE(query.active()) << "replacing the text closes the result set";
    query.open();
    EXPECT_EQ(query.recNo(), 0);
    query.setSql("SELECT * FROM DATAZLT ORDER BY BOD3 DESC");  // the engine puts Null last
    query.open();
    EXPECT_EQ(numbersShown()[0], 20);
    EXPECT_EQ(numbersShown()[1], 10);

    query.moveTo(1);
    test::execute(folder.database(), "UPDATE DATAZLT SET BOD3 = 5 WHERE CISLO = 30");
    query.refresh();
    EXPECT_EQ(query.sql(), "SELECT * FROM DATAZLT ORDER BY BOD3 DESC");
    EXPECT_EQ(numbersShown()[0], 30) << "the refresh re-ran the current text";
    EXPECT_EQ(query.field(CISLO), FieldValue(10)) << "the same row stays current";
    EXPECT_EQ(query.recNo(), 2);
}

TEST_F(ResultSetTest, EditOnAnEmptySetStartsANewRow) {
    Statement("IB_DSQL1", connection, "DELETE FROM DATAZLT").execute();
    query.refresh();
    EXPECT_EQ(query.recordCount(), 0);
    EXPECT_EQ(query.recNo(), -1);
    EXPECT_TRUE(isNull(query.field(CELKEM)));

    query.edit();
    EXPECT_EQ(query.state(), DataSetState::Insert);
    query.setField("CELKEM", 0);
    query.post();
    EXPECT_EQ(query.recordCount(), 1);
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0][CELKEM], FieldValue(0));
    EXPECT_TRUE(isNull(stored()[0][CISLO]));
}

TEST_F(ResultSetTest, InsertGoesAboveTheCurrentRowAndAppendAfterTheLast) {
    query.moveTo(3);
    query.insert();
    EXPECT_EQ(query.recNo(), 3);
    EXPECT_EQ(query.recordCount(), 31);
    EXPECT_EQ(query.value(4, CISLO), FieldValue(4));
    query.setField("CISLO", 100);
    query.post();
    EXPECT_EQ(query.value(3, CISLO), FieldValue(100));
    EXPECT_EQ(stored().size(), 31u);

    query.append();
    EXPECT_EQ(query.recNo(), 31);
    query.prior();  // leaving an untouched new row drops it
    EXPECT_EQ(query.recordCount(), 31);
    EXPECT_EQ(query.recNo(), 30);

    query.moveTo(5);
    query.insert();
    query.next();  // the row below it moves up into its place
    EXPECT_EQ(query.recordCount(), 31);
    EXPECT_EQ(query.field(CISLO), FieldValue(5));
}

TEST_F(ResultSetTest, DeleteRemovesTheCurrentRowFromTheTable) {
    query.moveTo(29);
    query.deleteRow();
    EXPECT_EQ(query.recordCount(), 29);
    EXPECT_EQ(query.recNo(), 28);
    query.first();
    query.deleteRow();
    EXPECT_EQ(query.field(CISLO), FieldValue(2));
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows.front()[CISLO], FieldValue(2));
    EXPECT_EQ(rows.back()[CISLO], FieldValue(29));
}

TEST_F(ResultSetTest, NavigationStopsAtBothEnds) {
    EXPECT_TRUE(query.bof());
    EXPECT_FALSE(query.eof());
    query.prior();
    EXPECT_EQ(query.recNo(), 0);
    query.moveBy(10);
    EXPECT_EQ(query.field(CISLO), FieldValue(11));
    query.moveBy(-3);
    EXPECT_EQ(query.field(CISLO), FieldValue(8));
    EXPECT_FALSE(query.bof());
    query.moveBy(1000);
    EXPECT_EQ(query.recNo(), 29);
    EXPECT_TRUE(query.eof());
    query.next();
    EXPECT_EQ(query.recNo(), 29);
    query.first();
    EXPECT_TRUE(query.bof());
}

TEST_F(ResultSetTest, MovingOffAnEditedRowPostsIt) {
    query.edit();
    query.setField("PENALIZACE", 3);
    query.next();
    EXPECT_EQ(query.state(), DataSetState::Browse);
    EXPECT_EQ(stored()[0][2], FieldValue(3));
}

TEST_F(ResultSetTest, BoundViewsHearOfEveryChange) {
    std::vector<DataEvent> heard;
    DataSource source(&query);
    source.addListener([&](DataEvent event) { heard.push_back(event); });

    query.next();
    query.edit();
    query.setField("BOD1", 1);
    query.post();
    query.close();
    query.open();
    EXPECT_EQ(heard, (std::vector<DataEvent>{DataEvent::Scrolled, DataEvent::StateChanged,
                                             DataEvent::RecordChanged, DataEvent::UpdateRecord,
                                             DataEvent::DataSetChanged, DataEvent::DataSetChanged,
                                             DataEvent::DataSetChanged}));
}

TEST_F(ResultSetTest, PresentsItsListWhateverElseTheTableHolds) {
    query.close();
    test::execute(folder.database(), "ALTER TABLE DATAZLT ADD POZNAMKA VARCHAR(40)");
    test::execute(folder.database(), "ALTER TABLE DATAZLT ALTER CISLO POSITION 7");
    query.open();
    EXPECT_EQ(query.field(CISLO), FieldValue(1));
    query.edit();
    query.setField("BOD1", 5);
    query.post();
    EXPECT_EQ(stored()[0][BOD1], FieldValue(5));
}

TEST(ResultSetOnCharColumns, BlankPaddingIsNotPartOfTheValue) {
    test::TempEventFolder folder;
    test::execute(folder.database(), "DROP TABLE DATAZLTF");
    test::execute(folder.database(),
                  "CREATE TABLE DATAZLTF (FPORADI SMALLINT, DRUZSTVO CHAR(25), FPOCATEK INTEGER, "
                  "FDISCIPLINA1 CHAR(14), FBOD1 INTEGER, FDISCIPLINA2 CHAR(14), FBOD2 INTEGER, "
                  "FDISCIPLINA3 CHAR(14), FBOD3 INTEGER, FCELKEM INTEGER)");
    Connection connection;
    connection.setPath(folder.database().string());
    ResultSet finals("IBOQueryF", connection, finalsFields(), "SELECT * FROM DATAZLTF");
    finals.open();
    finals.edit();
    finals.setField("DRUZSTVO", std::string("Dolní Bousov"));
    finals.setField("FPORADI", 3);
    finals.post();
    EXPECT_EQ(finals.field(0), FieldValue(std::string("Dolní Bousov")));
    finals.refresh();
    EXPECT_EQ(finals.field(0), FieldValue(std::string("Dolní Bousov")));
    EXPECT_EQ(finals.field(9), FieldValue(3));
}

}  // namespace
}  // namespace zlt::db

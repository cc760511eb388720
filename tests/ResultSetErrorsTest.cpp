#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "database/DatabaseError.h"
#include "database/ResultSet.h"
#include "tests/support/Database.h"
#include "tests/support/Thrown.h"

namespace zlt::db {
namespace {

using ::testing::HasSubstr;

class ResultSetErrors : public ::testing::Test {
protected:
    void SetUp() override { connection.setPath(folder.database().string()); }

    // Tries to post one value into the first row; returns the message it was refused with.
    std::string refusal(const std::string& field, FieldValue value) {
        query.open();
        query.edit();
        query.setField("PORADI", 1);  // a valid change in the same row must not get through
        query.setField(field, std::move(value));
        const auto message = test::thrownMessage<DatabaseError>([&] { query.post(); });
        if (!message) {
            return "posted";
        }
        EXPECT_EQ(query.state(), DataSetState::Edit) << "the row stays in edit state";
        EXPECT_TRUE(
            isNull(test::storedRows(folder.database(), preliminaryFields(), "CISLO")[0][16]))
            << "nothing was written";
        return *message;
    }

    std::string openError() {
        const auto message = test::thrownMessage<DatabaseError>([&] { query.open(); });
        if (!message) {
            return "opened";
        }
        EXPECT_FALSE(query.active());
        return *message;
    }

    test::TempEventFolder folder;
    Connection connection;
    ResultSet query{"IBOQuery1", connection, preliminaryFields(), "SELECT *  FROM DATAZLT"};
};

TEST_F(ResultSetErrors, IntegerTextMustBeAWholeNumberIn32Bits) {
    for (const std::string typed : {"12a", "1.5", "2147483648", "-2147483649", "x", "1 2"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(refusal("BOD3", typed),
                  "Field \"3.Pořadí\" (BOD3): \"" + typed +
                      "\" is not a whole number from -2147483648 to 2147483647");
        query.cancel();
        query.close();
    }
    EXPECT_EQ(refusal("BOD3", std::string(" -2147483648 ")), "posted");
    EXPECT_EQ(query.field(8), FieldValue(std::numeric_limits<std::int32_t>::min()));
}

TEST_F(ResultSetErrors, TextMustFitTheColumnAndTheCodePage) {
    EXPECT_EQ(refusal("DRUZSTVO", std::string(26, 'a')),
              "Field \"DRUŽSTVO\" (DRUZSTVO): the text has 26 characters, at most 25 fit");
    query.cancel();
    query.close();
    EXPECT_THAT(refusal("DISCIPLINA1", std::string("Жара")),
                HasSubstr("Field \"1.DISCIPLÍNA\" (DISCIPLINA1): The character \"Ж\" (U+0416)"));
    query.cancel();
    query.close();
    // 25 Czech letters are 25 characters however many bytes UTF-8 takes for them.
    EXPECT_EQ(refusal("DRUZSTVO", std::string("Žďáráčřšťůúýžěňóíéůúýžěň")), "posted");
}

TEST_F(ResultSetErrors, ARowTheDatabaseRefusesStaysInItsState) {
    test::execute(folder.database(),
                  "ALTER TABLE DATAZLT ADD CONSTRAINT PLACING_RANGE CHECK (BOD1 < 100)");
    EXPECT_THAT(refusal("BOD1", 500), HasSubstr("PLACING_RANGE"));
    query.setField("BOD1", 5);
    query.post();
    EXPECT_EQ(test::storedRows(folder.database(), preliminaryFields(), "CISLO")[0][4],
              FieldValue(5));

    query.append();
    query.setField("BOD1", 700);
    EXPECT_THROW(query.post(), DatabaseError);
    EXPECT_EQ(query.state(), DataSetState::Insert);
    EXPECT_EQ(query.recordCount(), 31);
    EXPECT_EQ(test::storedRows(folder.database(), preliminaryFields(), "CISLO").size(), 30u);
}

TEST_F(ResultSetErrors, AClosedResultSetRefusesWork) {
    const std::pair<const char*, void (ResultSet::*)()> operations[] = {
        {"refresh", &ResultSet::refresh},     {"edit", &ResultSet::edit},
        {"insert", &ResultSet::insert},       {"post", &ResultSet::post},
        {"deleteRow", &ResultSet::deleteRow}, {"first", &ResultSet::first}};
    for (const auto& [name, operation] : operations) {
        EXPECT_EQ(test::thrownMessage<DatabaseError>([&] { (query.*operation)(); }),
                  "IBOQuery1: Cannot perform this operation on a closed dataset")
            << name;
    }
    EXPECT_THROW(query.field(0), DatabaseError);
    EXPECT_EQ(query.recordCount(), 0);
}

TEST_F(ResultSetErrors, FieldsAreSetOnlyWhileEditingAndByKnownNames) {
    query.open();
    EXPECT_THROW(query.setField("BOD1", 1), DatabaseError);
    query.edit();
    EXPECT_EQ(test::thrownMessage<DatabaseError>([&] { query.setField("BOD9", 1); }),
              "IBOQuery1: Field 'BOD9' not found");
    query.cancel();
    Statement("IB_DSQL1", connection, "DELETE FROM DATAZLT").execute();
    query.refresh();
    EXPECT_THROW(query.deleteRow(), DatabaseError);
}

TEST_F(ResultSetErrors, ATableThatDoesNotMatchTheFieldListIsNotOpened) {
    test::execute(folder.database(), "ALTER TABLE DATAZLT DROP CELKEMF");
    EXPECT_THAT(openError(), HasSubstr("CELKEMF"));

    test::execute(folder.database(), "ALTER TABLE DATAZLT ADD CELKEMF VARCHAR(10)");
    EXPECT_EQ(openError(),
              "IBOQuery1: Type mismatch for field 'CELKEMF', expecting: Integer actual: Text");

    query.setSql("SELECT CISLO FROM DATAZLT");
    EXPECT_THAT(openError(), HasSubstr("SELECT * FROM DATAZLT"));
}

TEST_F(ResultSetErrors, AFailedOpenCanBeRetried) {
    connection.disconnect();
    connection.setPath((folder.path() / "missing.GDB").string());
    EXPECT_THAT(openError(), HasSubstr("missing.GDB"));
    connection.setPath(folder.database().string());
    EXPECT_EQ(openError(), "opened");
    EXPECT_EQ(query.recordCount(), 30);
}

}  // namespace
}  // namespace zlt::db

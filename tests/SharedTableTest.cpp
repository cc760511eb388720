// Two judges' tables writing one event's rows: two attachments to one database file, as two
// programs on one server are.
#include <gmock/gmock.h>

#include "database/ResultSet.h"
#include "database/WriteConflict.h"
#include "tests/support/Database.h"
#include "tests/support/Thrown.h"

namespace zlt::db {
namespace {

using ::testing::HasSubstr;
using ::testing::Optional;

constexpr int CISLO = 0, DRUZSTVO = 1, BOD1 = 4, BOD2 = 6;

class SharedTable : public ::testing::Test {
protected:
    SharedTable() {
        test::execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 3 WHERE CISLO = 7");
        for (Connection* connection : {&ours, &theirs}) {
            connection->setPath(folder.database().string());
        }
        mine.open();
        other.open();
    }

    // The other table writes one row at once: the team's row, by its number.
    void otherWrites(int team, int position, FieldValue value) {
        other.moveTo(team - 1);
        other.edit();
        other.setField(position, std::move(value));
        other.post();
    }

    void typeInto(int team, int position, FieldValue value) {
        mine.moveTo(team - 1);
        mine.edit();
        mine.setField(position, std::move(value));
    }

    std::vector<std::vector<FieldValue>> stored() {
        return test::storedRows(folder.database(), preliminaryFields(), "CISLO");
    }

    test::TempEventFolder folder;
    Connection ours{"ours"};
    Connection theirs{"theirs"};
    const std::string byNumber = "SELECT * FROM DATAZLT ORDER BY CISLO";
    ResultSet mine{"IBOQuery1", ours, preliminaryFields(), byNumber};
    ResultSet other{"IBOQuery1", theirs, preliminaryFields(), byNumber};
};

TEST_F(SharedTable, AFieldChangedByAnotherTableRefusesThePostUntilItIsPostedAgain) {
    typeInto(7, BOD1, std::string("4"));
    otherWrites(7, BOD1, 5);

    EXPECT_THAT(test::thrownMessage<WriteConflict>([&] { mine.post(); }),
                Optional(std::string(
                    "Řádek družstva 7 mezitím změnil jiný stůl: 1.Pořadí je nyní 5 (vy jste "
                    "viděli 3). Vaše hodnota 4 zůstává rozepsaná: Enter ji zapíše přes jejich, "
                    "Esc ji zruší.")));
    EXPECT_EQ(mine.state(), DataSetState::Edit);
    EXPECT_EQ(mine.field(BOD1), FieldValue(std::string("4"))) << "the typed text is kept";
    EXPECT_EQ(stored()[6][BOD1], FieldValue(5)) << "their value is not overwritten silently";

    mine.post();
    EXPECT_EQ(mine.state(), DataSetState::Browse);
    EXPECT_EQ(stored()[6][BOD1], FieldValue(4)) << "posted again, it overwrites knowingly";
}

TEST_F(SharedTable, ATextOverANullReadIsAConflictToo) {
    typeInto(2, DRUZSTVO, std::string("Sokol"));
    typeInto(2, BOD2, 1);
    otherWrites(2, DRUZSTVO, std::string("Orel"));
    otherWrites(2, BOD1, 6);

    const auto message = test::thrownMessage<WriteConflict>([&] { mine.post(); });
    ASSERT_TRUE(message);
    EXPECT_THAT(*message, HasSubstr(": DRUŽSTVO je nyní „Orel“ (vy jste viděli prázdné). Vaše "
                                    "hodnota „Sokol“ zůstává"));
    EXPECT_EQ(mine.field(BOD1), FieldValue(6)) << "a field not typed shows their value";
    EXPECT_EQ(mine.field(BOD2), FieldValue(1));
}

TEST_F(SharedTable, OnlyTheFieldsTypedCountAsAConflict) {
    typeInto(7, BOD2, 2);
    otherWrites(7, DRUZSTVO, std::string("Orel"));
    otherWrites(7, BOD1, 5);

    mine.post();
    EXPECT_EQ(stored()[6][BOD2], FieldValue(2));
    EXPECT_EQ(stored()[6][BOD1], FieldValue(5)) << "a post writes only the fields typed";
    EXPECT_EQ(mine.field(DRUZSTVO), FieldValue(std::string("Orel"))) << "shown as stored";
}

TEST_F(SharedTable, ARowDeletedByAnotherTableCanBeWrittenAgainAsANewRow) {
    typeInto(7, BOD2, 2);
    other.moveTo(6);
    other.deleteRow();

    EXPECT_THAT(test::thrownMessage<WriteConflict>([&] { mine.post(); }),
                Optional(HasSubstr("Řádek družstva 7 mezitím smazal jiný stůl.")));
    EXPECT_EQ(mine.state(), DataSetState::Insert);
    EXPECT_EQ(stored().size(), 29u);

    mine.post();
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[6][CISLO], FieldValue(7));
    EXPECT_EQ(rows[6][BOD1], FieldValue(3)) << "the row as it was shown";
    EXPECT_EQ(rows[6][BOD2], FieldValue(2)) << "with what was typed";
}

TEST_F(SharedTable, RereadShowsTheirRowsAndKeepsTheCurrentOneByItsKey) {
    mine.moveTo(4);  // team 5
    otherWrites(10, DRUZSTVO, std::string("Orel"));
    test::execute(folder.database(), "INSERT INTO DATAZLT (CISLO) VALUES (0)");

    mine.reread();
    EXPECT_EQ(mine.recordCount(), 31);
    EXPECT_EQ(mine.field(CISLO), FieldValue(5));
    EXPECT_EQ(mine.recNo(), 5);
    EXPECT_EQ(mine.value(10, DRUZSTVO), FieldValue(std::string("Orel")));

    test::execute(folder.database(), "DELETE FROM DATAZLT WHERE CISLO = 5");
    mine.reread();
    EXPECT_EQ(mine.recNo(), 5) << "a row deleted elsewhere leaves the same place current";
    EXPECT_EQ(mine.field(CISLO), FieldValue(6));
}

TEST_F(SharedTable, RereadKeepsARowBeingTypedAndWritesNothing) {
    typeInto(7, BOD2, std::string("2"));
    otherWrites(7, BOD2, 9);
    otherWrites(7, BOD1, 5);
    test::execute(folder.database(), "DELETE FROM DATAZLT WHERE CISLO = 1");

    mine.reread();
    EXPECT_EQ(mine.state(), DataSetState::Edit);
    EXPECT_EQ(mine.field(CISLO), FieldValue(7));
    EXPECT_EQ(mine.field(BOD2), FieldValue(std::string("2")));
    EXPECT_EQ(mine.field(BOD1), FieldValue(5));
    EXPECT_EQ(stored()[5][BOD2], FieldValue(9));
    // What they wrote into the field being typed still stops the post.
    EXPECT_THAT(test::thrownMessage<WriteConflict>([&] { mine.post(); }),
                Optional(HasSubstr("2.Pořadí je nyní 9 (vy jste viděli prázdné)")));

    mine.cancel();
    mine.insert();
    mine.setField(CISLO, 99);
    mine.reread();
    EXPECT_EQ(mine.state(), DataSetState::Insert);
    EXPECT_EQ(mine.recordCount(), 30) << "the 29 stored rows and the new one";
    EXPECT_EQ(mine.field(CISLO), FieldValue(99));
    EXPECT_EQ(stored().size(), 29u);
}

}  // namespace
}  // namespace zlt::db

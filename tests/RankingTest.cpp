// Ranks with shared places, worked out alone and over both rounds' real tables.
#include "competition/Ranking.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/Thrown.h"

namespace zlt::competition {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;
constexpr std::nullopt_t none = std::nullopt;

RankEntry team(std::optional<int> total, std::vector<std::optional<int>> placings = {}) {
    return {total, true, std::move(placings)};
}

TEST(ShareRanks, EqualTotalsSharePlacesAndTheNextPlaceSkips) {
    EXPECT_THAT(shareRanks({team(7), team(3), team(5), team(5), team(9)}, false),
                ElementsAre(4, 1, 2, 2, 5));
    EXPECT_THAT(shareRanks({team(4), team(4), team(4)}, false), ElementsAre(1, 1, 1));
    EXPECT_THAT(shareRanks({}, false), IsEmpty());
}

TEST(ShareRanks, TeamsWithoutATotalOrANameAreNotRanked) {
    RankEntry unnamed = team(1);
    unnamed.named = false;
    EXPECT_THAT(shareRanks({team(none), unnamed, team(6), team(2)}, false),
                ElementsAre(none, none, 2, 1));
}

TEST(ShareRanks, TheWholeRangeOfTotalsOrdersWithoutOverflow) {
    EXPECT_THAT(
        shareRanks({team(INT_MAX), team(-1), team(INT_MIN), team(0), team(INT_MAX), team(INT_MIN)},
                   false),
        ElementsAre(5, 3, 1, 4, 5, 1));
}

TEST(ShareRanks, TheCountbackSplitsEqualTotalsByMoreFirstsThenMoreSeconds) {
    const std::vector<RankEntry> tied{
        team(6, {2, 2, 2}),     // no first
        team(6, {1, 3, 2}),     // a first, a second
        team(6, {1, 4, 1}),     // two firsts
        team(6, {3, 1, 2}),     // as the second team, in another order
        team(6, {1, none, 5}),  // a first, no second
        team(2, {1, 1, 0}),
    };
    EXPECT_THAT(shareRanks(tied, false), ElementsAre(2, 2, 2, 2, 2, 1)) << "off by default";
    EXPECT_THAT(shareRanks(tied, true), ElementsAre(6, 3, 2, 3, 5, 1));
    // More placings of a kind beat fewer, however bad the rest: one first and a second
    // is better than one first alone.
    EXPECT_THAT(shareRanks({team(4, {1}), team(4, {1, 9}), team(4, {1, INT_MAX})}, true),
                ElementsAre(3, 1, 2));
}

// The preliminary round's rows by CISLO: a team name, a total and the placings.
class RanksInTables : public test::CoreInFolder {
protected:
    std::map<int, std::optional<int>> computedByNumber(const std::vector<RankLine>& lines) {
        std::map<int, std::optional<int>> ranks;
        for (const RankLine& line : lines) {
            const auto number = db::integerOf(competition.preliminary().value(line.row, 0));
            if (line.computed) {
                ranks[*number] = line.computed;
            }
        }
        return ranks;
    }

    db::FieldValue storedRank(int number) {
        const auto rows = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
        return rows.at(number - 1).at(db::preliminaryFields().positionOf("PORADI").value());
    }

    void fillPreliminary() {
        test::execute(folder.database(),
                      "UPDATE DATAZLT SET DRUZSTVO = 'Tým ' || CISLO WHERE CISLO <= 6");
        test::execute(folder.database(),
                      "UPDATE DATAZLT SET DRUZSTVO = '   ', CELKEM = 1 WHERE CISLO = 7");
        test::execute(folder.database(),
                      "UPDATE DATAZLT SET CELKEM = 1, PORADI = 3 WHERE CISLO = 8");
        test::execute(folder.database(),
                      "UPDATE DATAZLT SET CELKEM = CASE CISLO WHEN 1 THEN 10 WHEN 2 THEN 5 WHEN 3 "
                      "THEN 5 WHEN 4 THEN -2147483648 WHEN 5 THEN 2147483647 END, "
                      "PORADI = CASE CISLO WHEN 4 THEN 1 WHEN 5 THEN 2 END WHERE CISLO <= 6");
        test::execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 2, BOD2 = 1 WHERE CISLO = 2");
        test::execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 2, BOD2 = 2 WHERE CISLO = 3");
    }
};

TEST_F(RanksInTables, PreliminaryRanksFollowTotalsTiesAndTheCountback) {
    fillPreliminary();
    open();
    const auto lines = proposeRanks(competition.preliminary(), false);
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[3].team, "Tým 4");
    EXPECT_EQ(lines[3].current, 1);
    // Team 6 has no total, row 7 a blank name, row 8 no name at all: none is ranked.
    EXPECT_EQ(computedByNumber(lines),
              (std::map<int, std::optional<int>>{{4, 1}, {2, 2}, {3, 2}, {1, 4}, {5, 5}}));
    EXPECT_EQ(computedByNumber(proposeRanks(competition.preliminary(), true)),
              (std::map<int, std::optional<int>>{{4, 1}, {2, 2}, {3, 3}, {1, 4}, {5, 5}}));
    EXPECT_TRUE(
        db::isNull(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")[1][16]))
        << "a proposal writes nothing";
}

TEST_F(RanksInTables, WrittenRanksAreCommittedShownAndJournalledOnce) {
    fillPreliminary();
    open();
    int told = 0;
    QObject::connect(&competition.journal(), &ChangeJournal::rowsWritten, [&] { ++told; });
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(10);
    competition.writeRanks(rows, proposeRanks(rows, true));

    EXPECT_EQ(storedRank(2), db::FieldValue(2));
    EXPECT_EQ(storedRank(5), db::FieldValue(5)) << "2 before";
    EXPECT_EQ(storedRank(8), db::FieldValue()) << "an unnamed row loses its old rank";
    EXPECT_EQ(rows.value(2, rows.fieldPosition("PORADI")), db::FieldValue(3))
        << "the grid shows the rank at once";
    EXPECT_EQ(rows.recNo(), 10);
    EXPECT_EQ(told, 1);
    EXPECT_THAT(journalLines(),
                ElementsAre("úprava|DATAZLT|1|PORADI||4", "úprava|DATAZLT|2|PORADI||2",
                            "úprava|DATAZLT|3|PORADI||3", "úprava|DATAZLT|5|PORADI|2|5",
                            "úprava|DATAZLT|8|PORADI|3|"))
        << "team 4 kept its rank and has no line";

    competition.writeRanks(rows, proposeRanks(rows, true));
    EXPECT_EQ(told, 1) << "nothing changed, nothing was written";
    EXPECT_EQ(journalLines().size(), 5u);
}

TEST_F(RanksInTables, APendingRowIsReadAsTypedButNeitherMovedNorWritten) {
    fillPreliminary();
    open();
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(0);
    rows.edit();
    rows.setField("CELKEM", std::string(" -3 "));
    rows.setField("PORADI", std::string("x"));
    const auto lines = proposeRanks(rows, false);
    EXPECT_EQ(lines[0].computed, 2);
    EXPECT_EQ(lines[0].current, none) << "a rank that is no number counts as none";
    EXPECT_EQ(rows.recNo(), 0);
    EXPECT_EQ(rows.state(), db::DataSetState::Edit);
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")[0][15],
              db::FieldValue(10));

    EXPECT_THAT(test::thrownMessage([&] { competition.writeRanks(rows, lines); }),
                Optional(HasSubstr("PORADI")))
        << "the pending row cannot be written";
    EXPECT_EQ(storedRank(4), db::FieldValue(1));
    EXPECT_THAT(journalLines(), IsEmpty());
}

TEST_F(RanksInTables, ARankTheTableRefusesHalfwayLeavesEveryOldRank) {
    fillPreliminary();
    test::execute(
        folder.database(),
        "ALTER TABLE DATAZLT ADD CONSTRAINT BELOW_FIVE CHECK (PORADI IS NULL OR PORADI < 5)");
    open();
    db::ResultSet& rows = competition.preliminary();
    const auto before = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    // Teams 1 to 3 are written before the fifth place of team 5 is refused.
    EXPECT_THAT(
        test::thrownMessage([&] { competition.writeRanks(rows, proposeRanks(rows, false)); }),
        Optional(HasSubstr("BELOW_FIVE")));
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO"), before);
    EXPECT_EQ(rows.value(1, rows.fieldPosition("PORADI")), db::FieldValue())
        << "the grid shows the table as it is";
    EXPECT_EQ(rows.state(), db::DataSetState::Browse);
    EXPECT_THAT(journalLines(), IsEmpty());
}

TEST_F(RanksInTables, FinalsRankByTheirOwnFieldsAndARowGoneMidWayUndoesTheRest) {
    test::execute(folder.database(), "DELETE FROM DATAZLTF");
    for (const char* row : {"'Lhota', 9, 1, 2, 3", "'Ves', 9, 2, 1, 1", "'Dvůr', 4, 3, 3, 3",
                            "' ', 1, NULL, NULL, NULL", "'Mlýn', NULL, 1, 1, 1"}) {
        test::execute(folder.database(),
                      std::string("INSERT INTO DATAZLTF (DRUZSTVO, FCELKEM, FBOD1, FBOD2, FBOD3) "
                                  "VALUES (") +
                          row + ")");
    }
    open();
    db::ResultSet& rows = competition.finals();
    auto lines = proposeRanks(rows, true);
    std::vector<std::optional<int>> computed;
    for (const RankLine& line : lines) {
        computed.push_back(line.computed);
    }
    EXPECT_THAT(computed, ElementsAre(3, 2, 1, none, none));
    EXPECT_EQ(lines[3].team, "");

    test::execute(folder.database(), "DELETE FROM DATAZLTF WHERE DRUZSTVO = 'Dvůr'");
    EXPECT_THAT(test::thrownMessage([&] { competition.writeRanks(rows, lines); }),
                Optional(HasSubstr("mezitím změnil nebo smazal řádek")));
    const auto stored = test::storedRows(folder.database(), db::finalsFields(), "DRUZSTVO");
    for (const auto& row : stored) {
        EXPECT_EQ(row[9], db::FieldValue()) << "Lhota and Ves were written before";
    }
    EXPECT_EQ(rows.recordCount(), 4) << "the grid shows the table as it is";
    EXPECT_THAT(journalLines(), IsEmpty());
    EXPECT_THAT(test::thrownMessage([&] { competition.writeRanks(rows, lines); }),
                Optional(HasSubstr("Spočítejte je znovu")))
        << "the lines are for other rows now";

    competition.writeRanks(rows, proposeRanks(rows, true));
    EXPECT_THAT(journalLines(),
                ElementsAre("úprava|DATAZLTF|Lhota|FPORADI||2", "úprava|DATAZLTF|Ves|FPORADI||1"));
}

}  // namespace
}  // namespace zlt::competition

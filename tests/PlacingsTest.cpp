// Placings worked out from the typed results and written with their totals, over the real
// tables.
#include "competition/Placings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "competition/Refusal.h"
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
const Discipline kSecond{false, 2};

class PlacingsInTables : public test::CoreInFolder {
protected:
    // Teams 1, 2, ... named "Tým <n>" with their second discipline's results; row 7 has a
    // result but a blank name.
    void fillResults(const std::vector<std::string>& results) {
        for (std::size_t at = 0; at < results.size(); ++at) {
            const std::string number = std::to_string(at + 1);
            sql("UPDATE DATAZLT SET DRUZSTVO = 'Tým " + number + "', DISCIPLINA2 = '" +
                results[at] + "' WHERE CISLO = " + number);
        }
        sql("UPDATE DATAZLT SET DISCIPLINA2 = '1' WHERE CISLO = 7");
    }

    void sql(const std::string& statement) { test::execute(folder.database(), statement); }

    std::map<int, std::optional<int>> computedByNumber(const PlacingPlan& plan) {
        std::map<int, std::optional<int>> placings;
        for (const PlacingLine& line : plan.lines) {
            placings[line.number.value()] = line.computed;
        }
        return placings;
    }

    std::vector<db::FieldValue> stored(int number, const std::vector<const char*>& fields) {
        const auto row =
            test::storedRows(folder.database(), db::preliminaryFields(), "CISLO").at(number - 1);
        std::vector<db::FieldValue> values;
        for (const char* field : fields) {
            values.push_back(row.at(db::preliminaryFields().positionOf(field).value()));
        }
        return values;
    }
};

TEST_F(PlacingsInTables, TiesShareTheBetterPlaceAndTeamsWithoutAResultAreLastOrUnplaced) {
    using Placings = std::map<int, std::optional<int>>;
    struct Case {
        std::vector<std::string> results;
        DisciplineRule rule;
        Placings expected;
    };
    const std::vector<std::string> times{"1:05,0", "65", "  1:02,5 ", "DNF", "", "70,1"};
    const std::vector<std::string> distances{"12,5", "1250 cm", "13 m", "-", "9,99", "NP"};
    const Case cases[] = {
        {times, {ResultKind::Time}, {{1, 2}, {2, 2}, {3, 1}, {4, none}, {5, none}, {6, 4}}},
        {times, {ResultKind::Time, false, true}, {{1, 2}, {2, 2}, {3, 1}, {4, 5}, {5, 5}, {6, 4}}},
        {times, {ResultKind::Time, true}, {{1, 2}, {2, 2}, {3, 4}, {4, none}, {5, none}, {6, 1}}},
        {distances, {ResultKind::Distance}, {{1, 2}, {2, 2}, {3, 1}, {4, none}, {5, 4}, {6, none}}},
        {distances,
         {ResultKind::Distance, true, true},
         {{1, 2}, {2, 2}, {3, 4}, {4, 5}, {5, 1}, {6, 5}}},
        {{"DNS", "", "x"}, {ResultKind::Points, false, true}, {{1, 1}, {2, 1}, {3, none}}},
    };
    open();
    for (const Case& each : cases) {
        sql("UPDATE DATAZLT SET DRUZSTVO = ' ', DISCIPLINA2 = NULL");
        fillResults(each.results);
        competition.rereadRows();
        const PlacingPlan plan = proposePlacings(competition.preliminary(), kSecond, each.rule);
        EXPECT_EQ(computedByNumber(plan), each.expected) << ruleLine(kSecond, each.rule);
    }
    const PlacingPlan plan =
        proposePlacings(competition.preliminary(), kSecond, {ResultKind::Points});
    EXPECT_EQ(plan.lines[0].team, "Tým 1");
    EXPECT_EQ(plan.lines[0].result, "DNS");
    EXPECT_TRUE(plan.lines[0].read.withoutResult);
    EXPECT_EQ(plan.refusal(),
              "Nic nebylo zapsáno: výsledek nelze přečíst u družstva Tým 3 („x“ není počet "
              "bodů: chybí číslo).");
    EXPECT_THAT(test::thrownMessage<Refusal>(
                    [&] { proposePlacings(competition.preliminary(), kSecond, {}); }),
                Optional(HasSubstr("se umístění zapisují ručně")));
}

TEST_F(PlacingsInTables, PlacingsAndTheirTotalsAreWrittenTogetherAndJournalled) {
    fillResults({"1:05,0", "65", "1:02,5", "DNF"});
    sql("UPDATE DATAZLT SET BOD1 = 3, PENALIZACE = 2 WHERE CISLO = 1");
    sql("UPDATE DATAZLT SET BOD2 = 1, CELKEM = 99 WHERE CISLO = 3");
    sql("UPDATE DATAZLT SET BOD2 = 5, BOD3 = 1, CELKEM = 6 WHERE CISLO = 4");
    open();
    int told = 0;
    QObject::connect(&competition.journal(), &ChangeJournal::rowsWritten, [&] { ++told; });
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(20);
    const PlacingPlan plan = proposePlacings(rows, kSecond, {ResultKind::Time});
    EXPECT_EQ(plan.changedCount(), 3);
    competition.writePlacings(rows, plan);

    EXPECT_EQ(stored(1, {"BOD2", "CELKEM"}), (std::vector<db::FieldValue>{2, 7}));
    EXPECT_EQ(stored(2, {"BOD2", "CELKEM"}), (std::vector<db::FieldValue>{2, 2}));
    EXPECT_EQ(stored(3, {"BOD2", "CELKEM"}), (std::vector<db::FieldValue>{1, 99}))
        << "an unchanged placing leaves its total alone";
    EXPECT_EQ(stored(4, {"BOD2", "CELKEM"}), (std::vector<db::FieldValue>{{}, 1}));
    EXPECT_EQ(rows.value(0, rows.fieldPosition("CELKEM")), db::FieldValue(7));
    EXPECT_EQ(rows.recNo(), 20);
    EXPECT_EQ(told, 1);
    EXPECT_THAT(journalLines(),
                ElementsAre("úprava|DATAZLT|1|BOD2||2", "úprava|DATAZLT|1|CELKEM||7",
                            "úprava|DATAZLT|2|BOD2||2", "úprava|DATAZLT|2|CELKEM||2",
                            "úprava|DATAZLT|4|BOD2|5|", "úprava|DATAZLT|4|CELKEM|6|1"));
}

TEST_F(PlacingsInTables, ARefusalWritesNothing) {
    fillResults({"10", "20", "30"});
    sql("ALTER TABLE DATAZLT ADD CONSTRAINT TOTAL_BELOW_THREE CHECK (CELKEM IS NULL OR CELKEM < "
        "3)");
    sql("UPDATE DATAZLT SET BOD1 = 2147483647 WHERE CISLO = 5");
    open();
    db::ResultSet& rows = competition.preliminary();
    const auto refusal = [&](const DisciplineRule& rule) {
        return test::thrownMessage(
            [&] { competition.writePlacings(rows, proposePlacings(rows, kSecond, rule)); });
    };
    // Team 3's total of 3 is refused by the table after teams 1 and 2 were written.
    EXPECT_THAT(refusal({ResultKind::Points, true}), Optional(HasSubstr("TOTAL_BELOW_THREE")));

    const PlacingPlan plan = proposePlacings(rows, kSecond, {ResultKind::Distance});
    sql("UPDATE DATAZLT SET DRUZSTVO = 'Jiný' WHERE CISLO = 1");
    competition.rereadRows();
    EXPECT_THAT(test::thrownMessage([&] { competition.writePlacings(rows, plan); }),
                Optional(HasSubstr("Umístění nelze zapsat: řádky se od výpočtu změnily")));

    sql("UPDATE DATAZLT SET DRUZSTVO = 'Tým 5', DISCIPLINA2 = '5' WHERE CISLO = 5");
    competition.rereadRows();
    EXPECT_THAT(refusal({ResultKind::Points}),
                Optional(HasSubstr("CELKEM družstva Tým 5 by byl 2147483651")));

    sql("UPDATE DATAZLT SET DISCIPLINA2 = '1:60' WHERE CISLO = 2");
    competition.rereadRows();
    EXPECT_THAT(refusal({ResultKind::Time}),
                Optional(HasSubstr("nelze přečíst u družstva Tým 2 („1:60“ není čas")));

    for (const auto& row : test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")) {
        EXPECT_EQ(row[db::preliminaryFields().positionOf("BOD2").value()], db::FieldValue());
        EXPECT_EQ(row[db::preliminaryFields().positionOf("CELKEM").value()], db::FieldValue());
    }
    EXPECT_THAT(journalLines(), IsEmpty());
}

}  // namespace
}  // namespace zlt::competition

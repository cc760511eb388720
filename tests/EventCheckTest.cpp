// The event check over the real tables: each kind of typing error found at its cell, a
// proper event left alone, and rows of garbage read without harm.
#include "competition/EventCheck.h"
#include "competition/EventChoices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <fstream>

#include "competition/Competition.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"

namespace zlt::competition {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class EventCheck : public test::CoreInFolder {
protected:
    void sql(const std::string& statement) { test::execute(folder.database(), statement); }

    // Seven teams placed 1st to 7th in every discipline by their numbers, with their totals
    // and ranks; the first discipline's times agree. Three finals teams likewise.
    void seedProperEvent() {
        sql("UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Horní Lhota' WHEN 2 THEN "
            "'Dolní Lhota' WHEN 3 THEN 'Lhotka' WHEN 4 THEN 'Ves' WHEN 5 THEN 'Dvůr' WHEN 6 THEN "
            "'Mlýn' ELSE 'Nová Ves' END, BOD1 = CISLO, BOD2 = CISLO, BOD3 = CISLO, BOD4 = CISLO, "
            "BOD5 = CISLO, BOD6 = CISLO, CELKEM = 6 * CISLO, PORADI = CISLO WHERE CISLO <= 7");
        sql("UPDATE DATAZLT SET DISCIPLINA1 = CASE CISLO WHEN 1 THEN '50' WHEN 2 THEN '1:05,0' "
            "WHEN 3 THEN '1:06' WHEN 4 THEN '67 s' WHEN 5 THEN '1:10' WHEN 6 THEN 'DNF' ELSE "
            "'1:20' END WHERE CISLO <= 7");
        sql("DELETE FROM DATAZLTF");
        for (const char* row : {"'Horní Lhota', 1, 1, 1, 1, 4, 1",
                                "'Dolní Lhota', 2, 2, 2, 2, 8, 2", "'Lhotka', 3, 3, 3, 3, 12, 3"}) {
            sql(std::string("INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FBOD1, FBOD2, FBOD3, "
                            "FCELKEM, FPORADI) VALUES (") +
                row + ")");
        }
    }

    std::vector<std::string> findings() {
        std::vector<std::string> lines;
        for (const Finding& finding :
             checkEvent(competition.preliminary(), competition.finals(), rules)) {
            lines.push_back(std::to_string(finding.row) + "|" + finding.field + "|" +
                            finding.line());
        }
        return lines;
    }

    DisciplineRules rules = [] {
        DisciplineRules rules;
        rules.of({false, 1}) = {ResultKind::Time};
        return rules;
    }();
};

TEST_F(EventCheck, AProperEventHasNoFindings) {
    seedProperEvent();
    open();
    EXPECT_THAT(findings(), IsEmpty());
    rules.of({false, 2}) = {ResultKind::Points, true, true};
    EXPECT_THAT(findings(), IsEmpty()) << "no result is read, so none is out of order";
}

TEST_F(EventCheck, EachTypingErrorIsFoundAtItsCell) {
    seedProperEvent();
    // Discipline 1: Ves has a better time than Dolní Lhota but the worse placing.
    sql("UPDATE DATAZLT SET DISCIPLINA1 = '1:02,5' WHERE CISLO = 4");
    // Discipline 2: Lhotka and Ves share the 3rd place, and Dvůr is 4th.
    sql("UPDATE DATAZLT SET BOD2 = CISLO - 1, CELKEM = CELKEM - 1 WHERE CISLO IN (4, 5)");
    // Discipline 3: Mlýn's placing is beyond the seven teams.
    sql("UPDATE DATAZLT SET BOD3 = 8, CELKEM = 38, PORADI = 5 WHERE CISLO = 6");
    // Discipline 5: Dvůr has no placing.
    sql("UPDATE DATAZLT SET BOD5 = NULL, CELKEM = 24, DRUZSTVO = 'Ves' WHERE CISLO = 5");
    sql("UPDATE DATAZLT SET PENALIZACE = 3 WHERE CISLO = 3");
    sql("UPDATE DATAZLT SET CISLO = 3 WHERE CISLO = 7");
    sql("UPDATE DATAZLTF SET FCELKEM = 5 WHERE DRUZSTVO = 'Horní Lhota'");
    sql("UPDATE DATAZLTF SET FBOD2 = 0, FCELKEM = 6 WHERE DRUZSTVO = 'Dolní Lhota'");
    open();

    EXPECT_THAT(
        findings(),
        ElementsAre(
            "2|CISLO|Předkolo, 3 Lhotka: číslo 3 má i Nová Ves",
            "2|CELKEM|Předkolo, 3 Lhotka: CELKEM je 18, ale z umístění a penalizace vychází 21 "
            "(stiskněte Enter v řádku)",
            "3|DRUZSTVO|Předkolo, 4 Ves: stejné jméno má i řádek 5 (číslo 5)",
            "3|BOD1|Předkolo, 4 Ves: 1. disciplína: lepší výsledek (1:02,5) než Dolní Lhota "
            "(1:05,0), ale horší umístění (4. proti 2.)",
            "4|DRUZSTVO|Předkolo, 5 Ves: stejné jméno má i řádek 4 (číslo 4)",
            "4|BOD2|Předkolo, 5 Ves: 2. disciplína: dvě družstva jsou 3., ale 4. místo je "
            "obsazeno",
            "4|BOD5|Předkolo, 5 Ves: 5. disciplína: družstvo nemá umístění",
            "5|BOD2|Předkolo, 6 Mlýn: 2. disciplína: 5. místo chybí",
            "5|BOD3|Předkolo, 6 Mlýn: 3. disciplína: umístění 8 je větší než počet družstev (7)",
            "5|BOD5|Předkolo, 6 Mlýn: 5. disciplína: 5. místo chybí",
            "5|PORADI|Předkolo, 6 Mlýn: POŘADÍ 5 není pořadím součtů: s CELKEM 38 vychází 6.",
            "6|CISLO|Předkolo, 3 Nová Ves: číslo 3 má i Lhotka",
            "6|BOD3|Předkolo, 3 Nová Ves: 3. disciplína: 6. místo chybí",
            "0|FCELKEM|Finále, Horní Lhota: CELKEM je 5, ale z umístění a výchozího pořadí "
            "vychází 4 (stiskněte Enter v řádku)",
            "1|FBOD2|Finále, Dolní Lhota: 2. disciplína finále: umístění 0 je menší než 1",
            "2|FBOD2|Finále, Lhotka: 2. disciplína finále: 2. místo chybí"));

    const auto all = checkEvent(competition.preliminary(), competition.finals(), rules);
    EXPECT_EQ(findingsOfRound(all, true).size(), 3u);
    competition.finals().close();
    EXPECT_EQ(checkEvent(competition.preliminary(), competition.finals(), rules).size(), 13u)
        << "a closed round is not looked at";
}

TEST_F(EventCheck, RanksTiesAndTheRowBeingTyped) {
    seedProperEvent();
    // Equal totals of 12: shared, or split by the countback (Horní Lhota has more firsts).
    sql("UPDATE DATAZLT SET PENALIZACE = 6, CELKEM = 12 WHERE CISLO = 1");
    sql("UPDATE DATAZLT SET PORADI = 1 WHERE CISLO = 2");
    sql("UPDATE DATAZLT SET PORADI = NULL WHERE CISLO = 3");
    sql("UPDATE DATAZLT SET CELKEM = NULL WHERE CISLO = 7");
    open();
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(6);
    rows.edit();
    rows.setField("CELKEM", 42);
    EXPECT_THAT(
        findings(),
        ElementsAre(
            "2|PORADI|Předkolo, 3 Lhotka: POŘADÍ chybí, ač jiná družstva ho mají: s CELKEM 18 "
            "vychází 3.",
            "6|CELKEM|Předkolo, 7 Nová Ves: CELKEM chybí, ale z umístění a penalizace vychází "
            "42 (stiskněte Enter v řádku)",
            "6|PORADI|Předkolo, 7 Nová Ves: POŘADÍ 7 není pořadím součtů: družstvo nemá CELKEM"))
        << "the committed rows are checked, not the one being typed";

    sql("UPDATE DATAZLT SET PORADI = NULL WHERE CISLO = 2");
    competition.rereadRows();
    EXPECT_THAT(findings()[0],
                "1|PORADI|Předkolo, 2 Dolní Lhota: POŘADÍ chybí, ač jiná družstva ho mají: s "
                "CELKEM 12 vychází 1., při rozhodování podle umístění 2.");
}

TEST_F(EventCheck, TheLiveCheckFollowsWritesCommitsOrderAndChoices) {
    seedProperEvent();
    std::ofstream(folder.path() / choiceFile(EventChoice::Disciplines)) << "1=skok\n";
    open();
    LiveCheck& check = competition.check();
    int told = 0;
    QObject::connect(&check, &LiveCheck::changed, [&] { ++told; });
    EXPECT_THAT(check.rulesProblem(), HasSubstr("„skok“ není druh výsledku"));
    EXPECT_THAT(check.findings(), IsEmpty());

    check.setRules(rules);
    EXPECT_EQ(check.rulesProblem(), "");
    EXPECT_EQ(loadDisciplineRules(folder.path()).rules, rules);
    EXPECT_EQ(told, 1) << "the problem is gone";

    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(0);
    rows.edit();
    rows.setField("DISCIPLINA1", std::string("1:06"));  // Dolní Lhota's 1:05,0 is better
    rows.post();
    QCoreApplication::processEvents();
    ASSERT_EQ(check.findings().size(), 1u) << "this program's own write";
    EXPECT_EQ(check.findings()[0].team, "Dolní Lhota");
    EXPECT_EQ(told, 2);

    check.recheck();
    check.reloadRules();
    EXPECT_EQ(told, 2) << "nothing changed, nothing told";

    competition.sortByTitle(rows, rows.fieldPosition("CISLO"));  // 1 up to 30, as before
    competition.sortByTitle(rows, rows.fieldPosition("CISLO"));  // 30 down to 1
    ASSERT_EQ(check.findingsOf(false).size(), 1u);
    EXPECT_EQ(check.findingsOf(false)[0].row, 28);
    EXPECT_EQ(told, 3);

    sql("UPDATE DATAZLT SET DISCIPLINA1 = '50' WHERE CISLO = 1");
    competition.live().databaseChanged();
    QCoreApplication::processEvents();
    EXPECT_THAT(check.findings(), IsEmpty()) << "another table's commit";
    EXPECT_EQ(told, 4);
}

TEST_F(EventCheck, FiveHundredTeamsOfNullsAndGarbageAreReadWithoutHarm) {
    const std::string garbageRows =
        "EXECUTE BLOCK AS DECLARE VARIABLE i INTEGER = 0; BEGIN WHILE (i < 500) DO BEGIN "
        "INSERT INTO DATAZLT (CISLO, DRUZSTVO, PENALIZACE, DISCIPLINA1, BOD1, DISCIPLINA2, BOD2, "
        "DISCIPLINA3, BOD3, CELKEM, PORADI) VALUES (MOD(:i, 37) - 3, CASE MOD(:i, 5) WHEN 0 THEN "
        "NULL WHEN 1 THEN '  ' ELSE 'Tým ' || MOD(:i, 300) END, MOD(:i * 7, 11) - 5, "
        "CASE MOD(:i, 7) WHEN 0 THEN '1:60' WHEN 1 THEN 'ěščřžýáíé' WHEN 2 THEN '-' WHEN 3 "
        "THEN '99999999999999' WHEN 4 THEN MOD(:i, 60) || ',5' ELSE NULL END, "
        "CASE MOD(:i, 4) WHEN 0 THEN NULL WHEN 1 THEN 2147483647 ELSE MOD(:i * 13, 600) - 50 END, "
        "MOD(:i, 17) || ' cm', -2147483648, '1:' || MOD(:i, 70), MOD(:i, 503), "
        "CASE MOD(:i, 3) WHEN 0 THEN NULL ELSE -:i END, MOD(:i * 11, 501)); "
        "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FDISCIPLINA1, FBOD1, FCELKEM, FPORADI) "
        "VALUES (CASE MOD(:i, 3) WHEN 0 THEN NULL ELSE 'F' || MOD(:i, 100) END, :i - 250, "
        "':::' || :i, MOD(:i, 9), 2147483647, MOD(:i, 4)); i = i + 1; END END";
    const std::string nullRows =
        "EXECUTE BLOCK AS DECLARE VARIABLE i INTEGER = 0; BEGIN WHILE (i < 500) DO BEGIN "
        "INSERT INTO DATAZLT (CISLO) VALUES (NULL); INSERT INTO DATAZLTF (FBOD1) VALUES (NULL); "
        "i = i + 1; END END";
    DisciplineRules everyKind;
    everyKind.of({false, 1}) = {ResultKind::Time, true, true};
    everyKind.of({false, 2}) = {ResultKind::Distance, false, true};
    everyKind.of({false, 3}) = {ResultKind::Time};
    everyKind.of({true, 1}) = {ResultKind::Points, true};
    for (const std::string& statement : {nullRows, garbageRows}) {
        sql("DELETE FROM DATAZLT");
        sql("DELETE FROM DATAZLTF");
        sql(statement);
        competition.rereadRows();
        if (!competition.preliminary().active()) {
            open();
        }
        for (const DisciplineRules& each : {DisciplineRules{}, everyKind}) {
            const auto found = checkEvent(competition.preliminary(), competition.finals(), each);
            EXPECT_EQ(found.empty(), statement == nullRows) << "nothing is named in the Null rows";
            for (const Finding& finding : found) {
                ASSERT_LT(finding.row, finding.finals ? competition.finals().recordCount()
                                                      : competition.preliminary().recordCount());
                ASSERT_FALSE(finding.field.empty());
                ASSERT_FALSE(finding.line().empty());
            }
        }
    }
}

}  // namespace
}  // namespace zlt::competition

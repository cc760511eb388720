// The team list as spreadsheets save it, the import's plan over real tables, and its
// write in one transaction.
#include "competition/TeamImport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "competition/Refusal.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/TeamLists.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"

namespace zlt::competition {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

// Each team as line:number:name, the number empty when the list has names alone.
std::vector<std::string> teamsOf(const TeamList& list) {
    std::vector<std::string> teams;
    for (const TeamListEntry& team : list.teams) {
        teams.push_back(std::to_string(team.line) + ":" +
                        (team.number ? std::to_string(*team.number) : "") + ":" + team.name);
    }
    return teams;
}

TEST(ReadTeamList, EncodingAndSeparatorAreFoundFromTheText) {
    const TeamList comma = readTeamList("1,Žďár\n2, Lhota \n");
    EXPECT_EQ(comma.encoding, TeamList::Encoding::Utf8);
    EXPECT_EQ(comma.separator, ',');
    EXPECT_FALSE(comma.header);
    EXPECT_THAT(teamsOf(comma), ElementsAre("1:1:Žďár", "2:2:Lhota"));

    // A header, CR LF, a blank line, and a last line without its end.
    const TeamList bom =
        readTeamList("\xEF\xBB\xBF\xC4\x8C\xC3\x8DSLO;Družstvo\r\n1;Dolní Bousov\r\n\r\n3;Ves");
    EXPECT_EQ(bom.encoding, TeamList::Encoding::Utf8WithBom);
    EXPECT_EQ(bom.separator, ';');
    EXPECT_TRUE(bom.header) << "ČÍSLO titles the column";
    EXPECT_THAT(teamsOf(bom), ElementsAre("2:1:Dolní Bousov", "4:3:Ves"));

    const TeamList cp1250 = readTeamList("1\t\x8E\xE1ky, Praha\n2\tV\xECtrov\n");
    EXPECT_EQ(cp1250.encoding, TeamList::Encoding::Win1250);
    EXPECT_EQ(cp1250.separator, '\t');
    EXPECT_THAT(teamsOf(cp1250), ElementsAre("1:1:Žáky, Praha", "2:2:Větrov"));
}

TEST(ReadTeamList, QuotesHeadersAndNamesAlone) {
    const TeamList quoted =
        readTeamList("č.;název\n1;\"Lhota; Dolní\"\n2;\"Tým \"\"A\"\"\"\n\"3\";\" Ves \"\n");
    EXPECT_TRUE(quoted.header);
    EXPECT_THAT(teamsOf(quoted), ElementsAre("2:1:Lhota; Dolní", "3:2:Tým \"A\"", "4:3:Ves"));

    const TeamList untitled = readTeamList("Nr.,Team name\n5,Lhota\n7,Ves\n");
    EXPECT_TRUE(untitled.header) << "its number is no number while the others are";
    EXPECT_THAT(teamsOf(untitled), ElementsAre("2:5:Lhota", "3:7:Ves"));

    // Names alone: one of them with a comma, which the other lines do not split at.
    const TeamList names = readTeamList("Družstvo\nLhota, Dolní\nVes\n\"Hora; Horní\"\n");
    EXPECT_TRUE(names.header);
    EXPECT_THAT(teamsOf(names), ElementsAre("2::Lhota, Dolní", "3::Ves", "4::Hora; Horní"));
    EXPECT_THAT(teamsOf(readTeamList("Lhota\n2")), ElementsAre("1::Lhota", "2::2"));
}

TEST(ReadTeamList, FilesThatAreNoListAreRefusedNamingTheLine) {
    const auto refusal = [](std::string_view bytes) {
        return test::thrownMessage<Refusal>([&] { readTeamList(bytes); });
    };
    EXPECT_EQ(refusal(""), "Soubor je prázdný.");
    EXPECT_EQ(refusal("\xEF\xBB\xBF\r\n \t \r\n\n"), "Soubor je prázdný.");
    EXPECT_EQ(refusal(std::string("1;A\n2;B\n3;\x00\x01", 12)),
              "Soubor není text (řádek 3 obsahuje binární data).");
    EXPECT_EQ(refusal("\x89PNG\r\n\x1A\n"), "Soubor není text (řádek 2 obsahuje binární data).");
    EXPECT_EQ(refusal("1;A\n2;\"B\n3;C\n"),
              "Řádek 2: uvozovky otevřené na tomto řádku nejsou uzavřeny.");
    EXPECT_EQ(refusal("1;A\n2;B\n1.5;C\n"),
              "Řádek 3: číslo družstva „1.5“ není kladné celé číslo.");
    EXPECT_EQ(refusal("1;A\n0;B\n"), "Řádek 2: číslo družstva „0“ není kladné celé číslo.");
    EXPECT_EQ(refusal("1;A\n2;B;C;;\n"),
              "Řádek 2: příliš mnoho sloupců (3); očekává se číslo a název družstva, nebo jen "
              "název.");
    EXPECT_EQ(refusal("1,A\n2,  \n3,C"), "Řádek 2: chybí název družstva.");
    EXPECT_EQ(refusal("1;A\n;B\n3;C"), "Řádek 2: chybí číslo družstva.");
    EXPECT_EQ(refusal("1\tA\n2 B\n3\tC\n"),
              "Řádek 2: očekávají se dva sloupce, číslo a název družstva, oddělené tabulátorem.");
    EXPECT_EQ(refusal("1;\"A\nB\"\n2;C\n"), "Řádek 1: název družstva obsahuje konec řádku.");
}

TEST(ReadTeamList, AListOfMoreTeamsThanATableHoldsIsRefusedWithTheirCount) {
    const std::string full = test::numberedTeams(1, 500);
    EXPECT_EQ(readTeamList("číslo;družstvo\n" + full + "\n\n").teams.size(), 500u)
        << "neither the header nor blank lines are teams";
    EXPECT_EQ(test::thrownMessage<OversizedList>([&] { readTeamList(full + "501;Ves"); }),
              "Soubor obsahuje 501 družstev; ZLT jich pojme nejvýše 500. Vybrali jste správný "
              "soubor?");
    EXPECT_EQ(test::thrownMessage<Refusal>(
                  [&] { readTeamList(test::numberedTeams(1, 1234) + "Ves;\"Hora\n"); }),
              "Řádek 1235: uvozovky otevřené na tomto řádku nejsou uzavřeny.")
        << "a quote left open swallows the lines after it: their count means nothing";
}

class ReadTeamListFile : public ::testing::Test {
protected:
    // A file of that size holding nothing, as a sparse file takes no room on the disk.
    std::filesystem::path sparse(std::uintmax_t size) {
        const std::filesystem::path file = scratch.path() / "velky.csv";
        std::ofstream{file};
        std::filesystem::resize_file(file, size);
        return file;
    }
    std::optional<std::string> oversized(const std::filesystem::path& file) {
        return test::thrownMessage<OversizedList>([&] { readTeamListFile(file); });
    }

    test::TempFolder scratch;
};

TEST_F(ReadTeamListFile, AFileOverTheLimitIsRefusedByItsSizeNamingIt) {
    const std::filesystem::path over = sparse(kLargestTeamList + 1);
    EXPECT_EQ(oversized(over),
              "Soubor " + over.string() + " má 16,1 MB; seznam družstev může mít nejvýše 16 MB.");
    EXPECT_THAT(oversized(sparse(std::uintmax_t{1} << 30)),
                Optional(::testing::HasSubstr(" má 1,0 GB; ")));
    EXPECT_THAT(test::thrownMessage<Refusal>([&] { readTeamListFile(sparse(kLargestTeamList)); }),
                Optional(::testing::StartsWith("Soubor není text")))
        << "a list at the limit is read";
    EXPECT_THAT(oversized("/dev/zero"), Optional(::testing::HasSubstr("nejvýše 16 MB")))
        << "a device without a size is refused once it has given more than the limit";
}

TEST_F(ReadTeamListFile, AFileThatCannotBeReadIsNamed) {
    const std::filesystem::path list = scratch.path() / "seznam.csv";
    std::ofstream(list, std::ios::binary) << "1;Lhota\n2;Ves";
    EXPECT_EQ(teamsOf(readTeamListFile(list)), (std::vector<std::string>{"1:1:Lhota", "2:2:Ves"}));
    const auto refusal = [](const std::filesystem::path& file) {
        return test::thrownMessage<Refusal>([&] { readTeamListFile(file); });
    };
    EXPECT_EQ(
        refusal(scratch.path() / "chybi.csv"),
        "Soubor " + (scratch.path() / "chybi.csv").string() + " nelze otevřít: soubor neexistuje.");
    EXPECT_EQ(refusal(scratch.path()),
              "Soubor " + scratch.path().string() + " nelze přečíst: na jeho místě je složka.");
}

class ImportInTables : public test::CoreInFolder {
protected:
    std::vector<std::string> preliminaryNames() {
        std::vector<std::string> names;
        for (const auto& row :
             test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")) {
            names.push_back(std::to_string(std::get<std::int32_t>(row[0])) + ":" +
                            db::displayText(row[1]));
        }
        return names;
    }
};

TEST_F(ImportInTables, ThePlanWarnsOfWhatTheOperatorShouldSeeAndWritesNothing) {
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Stará' WHERE CISLO = 2");
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Lhota' WHERE CISLO = 3");
    open();
    const TeamList list = readTeamList(
        "1;Lhota\n2;Nová\n1;Ves\n40;Lhota\n41;Бег\n42;Tělovýchovná jednota Sokol\n3;Lhota\n");
    const auto before = preliminaryNames();
    const auto lines = planImport(list, competition.preliminary());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_THAT(lines[0].warnings, IsEmpty());
    EXPECT_EQ(lines[1].replaced, "Stará");
    EXPECT_THAT(lines[1].warnings, ElementsAre("Nahradí družstvo „Stará“."));
    EXPECT_THAT(lines[2].warnings, ElementsAre("Číslo 1 je už na řádku 1; platí poslední z nich."));
    EXPECT_TRUE(lines[3].newRow);
    EXPECT_THAT(lines[3].warnings, ElementsAre("Družstvo „Lhota“ je už na řádku 1."));
    EXPECT_THAT(lines[4].warnings,
                ElementsAre("Znak „Б“ (U+0411) nelze uložit v kódování Windows-1250."));
    EXPECT_THAT(lines[5].warnings,
                ElementsAre("Název má 26 znaků, pole DRUŽSTVO pojme nejvýš 25."));
    EXPECT_EQ(lines[6].replaced, "") << "the same name is not replaced";
    EXPECT_FALSE(lines[6].newRow);

    EXPECT_EQ(test::thrownMessage<Refusal>(
                  [&] { competition.writeImport(competition.preliminary(), lines); }),
              "Řádek 5 nelze zapsat. Znak „Б“ (U+0411) nelze uložit v kódování Windows-1250. "
              "Nic nebylo zapsáno.");
    EXPECT_EQ(preliminaryNames(), before);
    EXPECT_THAT(journalLines(), IsEmpty());
}

TEST_F(ImportInTables, PreliminaryNamesGoByNumberAndNewNumbersAddRows) {
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Stará' WHERE CISLO = 2");
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Lhota' WHERE CISLO = 1");
    open();
    int told = 0;
    QObject::connect(&competition.journal(), &ChangeJournal::rowsWritten, [&] { ++told; });
    db::ResultSet& rows = competition.preliminary();
    const auto list = readTeamList("2;Nová\n32;Hora\n31;Ves\n32;Hora Dolní\n1;Lhota\n");
    competition.writeImport(rows, planImport(list, rows));

    const auto names = preliminaryNames();
    ASSERT_EQ(names.size(), 32u);
    EXPECT_THAT(std::vector(names.begin(), names.begin() + 3),
                ElementsAre("1:Lhota", "2:Nová", "3:"));
    EXPECT_THAT(std::vector(names.end() - 2, names.end()), ElementsAre("31:Ves", "32:Hora Dolní"));
    EXPECT_EQ(rows.recordCount(), 32) << "the grid shows the new rows at once";
    EXPECT_EQ(rows.value(31, 1), db::FieldValue(std::string("Hora Dolní")));
    EXPECT_EQ(told, 1);
    EXPECT_THAT(journalLines(),
                ElementsAre("úprava|DATAZLT|2|DRUZSTVO|Stará|Nová", "nový řádek|DATAZLT|31|||",
                            "úprava|DATAZLT|31|DRUZSTVO||Ves", "nový řádek|DATAZLT|32|||",
                            "úprava|DATAZLT|32|DRUZSTVO||Hora",
                            "úprava|DATAZLT|32|DRUZSTVO|Hora|Hora Dolní"))
        << "Lhota was there already";
}

TEST_F(ImportInTables, FinalsNamesGoByPositionAndPositionsPastTheEndAreAppended) {
    open();
    db::ResultSet& rows = competition.finals();
    const auto alone = planImport(readTeamList("Ves\nLhota\n"), rows);
    EXPECT_EQ(alone[1].number, 2);
    EXPECT_FALSE(alone[1].newRow);
    EXPECT_EQ(alone[1].replaced, "") << "a blank finals row has no name to replace";

    const auto lines = planImport(readTeamList("1;A\n2;B\n14;D\n13;C\n2;E\n"), rows);
    EXPECT_TRUE(lines[2].newRow);
    EXPECT_THAT(lines[4].warnings,
                ElementsAre("Pozice 2 je už na řádku 2; platí poslední z nich."));
    competition.writeImport(rows, lines);
    std::vector<std::string> names;
    for (int row = 0; row < rows.recordCount(); ++row) {
        names.push_back(db::displayText(rows.value(row, 0)));
    }
    EXPECT_THAT(names,
                ElementsAre("A", "E", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "C", "D"));
    EXPECT_EQ(test::storedRows(folder.database(), db::finalsFields(), "DRUZSTVO").size(), 14u);
    EXPECT_THAT(journalLines(),
                ElementsAre("úprava|DATAZLTF| |DRUZSTVO| |A", "úprava|DATAZLTF| |DRUZSTVO| |B",
                            "úprava|DATAZLTF|B|DRUZSTVO|B|E", "nový řádek|DATAZLTF|C|||",
                            "nový řádek|DATAZLTF|D|||"));
}

TEST_F(ImportInTables, AnImportRefusedHalfwayLeavesTheTableAndTheJournalAsTheyWere) {
    test::execute(folder.database(),
                  "ALTER TABLE DATAZLT ADD CONSTRAINT NO_LHOTA CHECK (DRUZSTVO <> 'Lhota')");
    open();
    db::ResultSet& rows = competition.preliminary();
    const auto before = preliminaryNames();
    const auto lines = planImport(readTeamList("Ves\nHora\nLhota\n"), rows);
    EXPECT_THAT(test::thrownMessage([&] { competition.writeImport(rows, lines); }),
                Optional(::testing::HasSubstr("NO_LHOTA")));
    EXPECT_EQ(preliminaryNames(), before);
    EXPECT_EQ(rows.value(0, 1), db::FieldValue()) << "the grid shows the table as it is";
    EXPECT_THAT(journalLines(), IsEmpty());
}

// The event's 30 numbered rows and new numbers up to the last.
std::vector<ImportLine> linesUpTo(int last) {
    std::vector<ImportLine> lines;
    for (int number = 31; number <= last; ++number) {
        lines.push_back(
            {number - 30, number, "Team number " + std::to_string(number), {}, true, {}});
    }
    return lines;
}

TEST_F(ImportInTables, AnImportLeavingMoreThan500RowsIsRefusedAndWritesNothing) {
    open();
    db::ResultSet& rows = competition.preliminary();
    const auto before = preliminaryNames();
    const std::string refusal =
        "Po importu by tabulka DATAZLT měla 501 řádků; ZLT jich pojme nejvýše 500.";
    EXPECT_EQ(test::thrownMessage<OversizedList>(
                  [&] { planImport(readTeamList(test::numberedTeams(31, 501)), rows); }),
              refusal);
    EXPECT_EQ(
        test::thrownMessage<OversizedList>([&] { competition.writeImport(rows, linesUpTo(501)); }),
        refusal)
        << "lines planned on rows since grown";
    EXPECT_EQ(preliminaryNames(), before);
    EXPECT_EQ(rows.recordCount(), 30);
    EXPECT_THAT(journalLines(), IsEmpty());

    competition.writeImport(rows, planImport(readTeamList(test::numberedTeams(31, 500)), rows));
    EXPECT_EQ(preliminaryNames().size(), 500u);
    EXPECT_EQ(preliminaryNames().back(), "500:Team number 500");
    EXPECT_EQ(journalLines().size(), 2u * 470) << "a new row and its name each";

    competition.writeImport(rows, planImport(readTeamList("1;Lhota\n500;Ves\n"), rows));
    EXPECT_EQ(preliminaryNames()[0], "1:Lhota") << "a full table still takes new names";
    EXPECT_EQ(test::thrownMessage<OversizedList>(
                  [&] { planImport(readTeamList("1;Lhota\n501;Ves\n"), rows); }),
              refusal);
}

}  // namespace
}  // namespace zlt::competition

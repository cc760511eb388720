// The disciplines' results read as organisers type them, and the choices file.
#include "competition/Disciplines.h"
#include "competition/EventChoices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "competition/Refusal.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::competition {
namespace {

using ::testing::HasSubstr;

// A text and what it reads as: a value, or a refusal holding the words given.
struct Case {
    const char* text;
    std::optional<double> value;
    const char* refusal = nullptr;
};

// The words for no result, in any case, with or without diacritics.
constexpr const char* kWithoutResultWords[] = {
    "",      "   ",         "DNF", "nedokončil", "NEDOKONČIL",     "nedokoncil",
    " dns ", "Nestartoval", "NP",  "dsq",        "Diskvalifikace", "-"};

void expectReads(ResultKind kind, const std::vector<Case>& cases) {
    for (const char* word : kWithoutResultWords) {
        EXPECT_TRUE(readResult(kind, word).withoutResult) << word;
    }
    for (const Case& expected : cases) {
        SCOPED_TRACE(expected.text);
        const ReadResult read = readResult(kind, expected.text);
        if (expected.refusal != nullptr) {
            EXPECT_FALSE(read.readable());
            EXPECT_FALSE(read.value);
            EXPECT_THAT(read.problem, HasSubstr(expected.refusal));
        } else {
            EXPECT_TRUE(read.readable()) << read.problem;
            EXPECT_EQ(read.value, expected.value);
            EXPECT_FALSE(read.withoutResult);
        }
    }
}

// The refusals every kind shares.
const std::vector<Case> kSharedCases{{"-5", {}, "„-5“ není"},
                                     {"12,5,3", {}, "víc desetinných čárek"},
                                     {"1e9", {}, "„e9“ nepatří"},
                                     {"12345678901234", {}, "mimo rozumný rozsah"},
                                     {"dvanáct", {}, "„dvanáct“ není"},
                                     {"žluťoučký", {}, "chybí číslo"},
                                     {",5", {}, "před desetinnou čárkou"},
                                     {"5,", {}, "za desetinnou čárkou"},
                                     {"1,1234567", {}, "desetinných míst"},
                                     {"\xff\xfe", {}, "„??“"}};

TEST(ReadResult, TimesInSecondsMinutesAndHours) {
    expectReads(ResultKind::Time, kSharedCases);
    expectReads(ResultKind::Time, {{"83", 83},
                                   {"83,4", 83.4},
                                   {"83.4 s", 83.4},
                                   {"83,4s", 83.4},
                                   {"1:23", 83},
                                   {"1:23,4", 83.4},
                                   {" 1:23.4 S ", 83.4},
                                   {"90:00", 5400},
                                   {"1:02:03,5", 3723.5},
                                   {"0:00:00", 0},
                                   {"1:60", {}, "„1:60“ není čas: sekund je víc než 59"},
                                   {"1:60:00", {}, "minut je víc než 59"},
                                   {"1:5", {}, "dvě číslice"},
                                   {"1::2", {}, "u dvojtečky chybí"},
                                   {":30", {}, "u dvojtečky chybí"},
                                   {"1:02:03:04", {}, "nejvýš dvě dvojtečky"},
                                   {"1,5:20", {}, "jen k sekundám"},
                                   {"12 m", {}, "jednotka času je jen s"},
                                   {"999999999:00:00", {}, "mimo rozumný rozsah"}});
}

TEST(ReadResult, DistancesInMetresOrCentimetres) {
    expectReads(ResultKind::Distance, kSharedCases);
    expectReads(ResultKind::Distance, {{"12,5", 12.5},
                                       {"12.50 m", 12.5},
                                       {"12,50M", 12.5},
                                       {"1250 cm", 12.5},
                                       {"1250 c m", 12.5},
                                       {"1250,5cm", 12.505},
                                       {"007", 7},
                                       {"1:20", {}, "dvojtečka patří jen k času"},
                                       {"12 s", {}, "m nebo cm"},
                                       {"12 km", {}, "„km“"},
                                       {"1,123456 cm", {}, "desetinná místa"}});
}

TEST(ReadResult, PointsWithoutAUnit) {
    expectReads(ResultKind::Points, kSharedCases);
    expectReads(ResultKind::Points, {{"15", 15},
                                     {"15,5", 15.5},
                                     {"0", 0},
                                     {"999999999", 999999999},
                                     {"15 b", {}, "bez jednotky"}});
}

TEST(ReadResult, ManualReadsNothingAndAnyLengthIsSafe) {
    EXPECT_TRUE(readResult(ResultKind::Manual, "").withoutResult);
    const ReadResult typed = readResult(ResultKind::Manual, "DNF");
    EXPECT_TRUE(typed.readable());
    EXPECT_FALSE(typed.value);
    EXPECT_FALSE(typed.withoutResult);

    const std::string huge(1'000'000, '9');
    const ReadResult read = readResult(ResultKind::Time, huge);
    EXPECT_THAT(read.problem, HasSubstr("mimo rozumný rozsah"));
    EXPECT_LT(read.problem.size(), 200u) << "the quote is cut short";
    EXPECT_FALSE(readResult(ResultKind::Distance, std::string(5000, ',')).readable());
    EXPECT_FALSE(readResult(ResultKind::Points, std::string("1\0"
                                                            "2",
                                                            3))
                     .readable());
}

TEST(ReadResult, EqualTextsReadAsEqualValues) {
    EXPECT_EQ(readResult(ResultKind::Time, "83,4").value,
              readResult(ResultKind::Time, "1:23.400").value);
    EXPECT_EQ(readResult(ResultKind::Distance, "0,3").value,
              readResult(ResultKind::Distance, "30 cm").value);
    EXPECT_LT(*readResult(ResultKind::Points, "999999999,999998").value,
              *readResult(ResultKind::Points, "999999999,999999").value);
}

TEST(RuleLines, ReadAndWrittenForEveryDiscipline) {
    struct Line {
        const char* text;
        Discipline discipline;
        DisciplineRule rule;
    };
    const Line lines[] = {
        {"2=cas", {false, 2}, {ResultKind::Time, false, false}},
        {"3=vzdalenost,obracene", {false, 3}, {ResultKind::Distance, true, false}},
        {"F1=body,posledni", {true, 1}, {ResultKind::Points, false, true}},
        {"6=cas,obracene,posledni", {false, 6}, {ResultKind::Time, true, true}},
        {"1=rucni", {false, 1}, {}}};
    for (const Line& line : lines) {
        SCOPED_TRACE(line.text);
        std::string why;
        const auto parsed = parseRuleLine(line.text, &why);
        ASSERT_TRUE(parsed) << why;
        EXPECT_EQ(parsed->first, line.discipline);
        EXPECT_EQ(parsed->second, line.rule);
        EXPECT_EQ(ruleLine(line.discipline, line.rule), line.text);
    }
    const auto typed = parseRuleLine(" f3 = Vzdálenost , Obrácené ", nullptr);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->first, (Discipline{true, 3}));
    EXPECT_TRUE(typed->second.reversed);
}

TEST(RuleLines, RefusedWithTheirReason) {
    const std::pair<const char*, const char*> refused[] = {
        {"2 cas", "chybí „=“"},
        {"7=cas", "„7“ není disciplína"},
        {"F4=cas", "„F4“ není disciplína"},
        {"=cas", "„“ není disciplína"},
        {"2=rychlost", "„rychlost“ není druh výsledku"},
        {"2=", "není druh výsledku"},
        {"2=cas,nahoru", "„nahoru“ není volba"},
        {"2=cas,obracene,obracene", "dvakrát"},
        {"2=rucni,posledni", "Ruční disciplína nemá volby"}};
    for (const auto& [line, reason] : refused) {
        std::string why;
        EXPECT_FALSE(parseRuleLine(line, &why)) << line;
        EXPECT_THAT(why, HasSubstr(reason)) << line;
    }
}

class ChoicesFile : public ::testing::Test {
protected:
    void writeFile(const std::string& bytes) {
        std::ofstream(folder.path() / choiceFile(EventChoice::Disciplines), std::ios::binary)
            << bytes;
    }

    test::TempFolder folder;
};

TEST_F(ChoicesFile, RoundTripOnlyTheDisciplinesThatAreNotManual) {
    EXPECT_EQ(loadDisciplineRules(folder.path()).rules, DisciplineRules{}) << "no file";
    DisciplineRules rules;
    rules.of({false, 2}) = {ResultKind::Time, false, false};
    rules.of({true, 1}) = {ResultKind::Points, false, true};
    saveDisciplineRules(folder.path(), rules);
    EXPECT_EQ(test::fileBytes(folder.path() / choiceFile(EventChoice::Disciplines)),
              "2=cas\nF1=body,posledni\n");
    const LoadedRules loaded = loadDisciplineRules(folder.path());
    EXPECT_EQ(loaded.rules, rules);
    EXPECT_EQ(loaded.problem, "");

    saveDisciplineRules(folder.path(), {});
    EXPECT_EQ(loadDisciplineRules(folder.path()).rules, DisciplineRules{});
}

TEST_F(ChoicesFile, CommentsBlankLinesAndWindowsLineEndsAreRead) {
    writeFile("\xEF\xBB\xBF# volby\r\n\r\n  3=vzdalenost,obracene  # hod\r\nF2=cas\r\n");
    const LoadedRules loaded = loadDisciplineRules(folder.path());
    EXPECT_EQ(loaded.problem, "");
    EXPECT_EQ(loaded.rules.of({false, 3}), (DisciplineRule{ResultKind::Distance, true, false}));
    EXPECT_EQ(loaded.rules.of({true, 2}).kind, ResultKind::Time);
}

TEST_F(ChoicesFile, ADamagedFileIsNamedWithItsLineAndAllIsManual) {
    const std::pair<std::string, const char*> damaged[] = {
        {"2=cas\n3=skok\n", "discipliny.txt, řádek 2: „skok“ není druh výsledku"},
        {"2=cas\n\n2=body\n", "řádek 3: disciplína 2 je uvedena už na řádku 1"},
        {"# \xE8\x61s\n", "řádek 1: text není v kódování UTF-8"},
        {"9=cas", "řádek 1: „9“ není disciplína"},
        {std::string(20000, '#'), "je příliš velký"}};
    for (const auto& [bytes, problem] : damaged) {
        writeFile(bytes);
        const LoadedRules loaded = loadDisciplineRules(folder.path());
        EXPECT_THAT(loaded.problem, HasSubstr(problem));
        EXPECT_THAT(loaded.problem, HasSubstr("berou jako ruční"));
        EXPECT_EQ(loaded.rules, DisciplineRules{});
    }
    std::filesystem::remove(folder.path() / choiceFile(EventChoice::Disciplines));
    std::filesystem::create_directory(folder.path() / choiceFile(EventChoice::Disciplines));
    EXPECT_THAT(loadDisciplineRules(folder.path()).problem, HasSubstr("nelze přečíst"));
    EXPECT_THROW(saveDisciplineRules(folder.path(), {{{ResultKind::Time}}}), Refusal)
        << "a folder stands where the file goes";
}

}  // namespace
}  // namespace zlt::competition

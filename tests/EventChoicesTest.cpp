// The event's own choices: the files a folder made by today's version holds, read as they
// were written, and kept whole or not at all.
#include "competition/EventChoices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "competition/Competition.h"
#include "competition/Disciplines.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Optional;

struct TodaysFile {
    EventChoice choice;
    const char* name;
    const char* bytes;  // as today's writers write them
    std::vector<std::string> lines;
};

const TodaysFile kTodaysFiles[] = {
    {EventChoice::DatabaseLocation,
     "databaze.txt",
     "server/3051:/data/zlt.fdb\n",
     {"server/3051:/data/zlt.fdb"}},
    {EventChoice::SecondBackupFolder,
     "zalohy-druha-slozka.txt",
     "/media/USB Zálohy\n",
     {"/media/USB Zálohy"}},
    {EventChoice::Disciplines,
     "discipliny.txt",
     "2=cas\nF1=body,posledni\n",
     {"2=cas", "F1=body,posledni"}},
    {EventChoice::LiveResults, "vysledky-na-siti.txt", "zapnuto 8081\n", {"zapnuto 8081"}},
    {EventChoice::Publishing,
     "publikace.txt",
     "/srv/web složka\nautomaticky\n",
     {"/srv/web složka", "automaticky"}},
    {EventChoice::DiplomaLayout,
     "diplomy.txt",
     "podpisy=ano\npodpis1=Hlavní rozhodčí\npodpis2=\n",
     {"podpisy=ano", "podpis1=Hlavní rozhodčí", "podpis2="}},
};

class EventChoices : public ::testing::Test {
protected:
    void write(EventChoice choice, const std::string& bytes) {
        std::ofstream(folder.path() / choiceFile(choice), std::ios::binary) << bytes;
    }

    test::TempFolder folder;
};

TEST_F(EventChoices, TodaysFilesAreReadAsWrittenAndWrittenToTheByte) {
    for (const TodaysFile& file : kTodaysFiles) {
        EXPECT_STREQ(choiceFile(file.choice), file.name);
        write(file.choice, file.bytes);
        const KeptChoice kept = readChoice(folder.path(), file.choice);
        EXPECT_EQ(kept.problem, "") << file.name;
        EXPECT_THAT(kept.lines, ElementsAreArray(file.lines)) << file.name;

        fs::remove(folder.path() / file.name);
        keepChoice(folder.path(), file.choice, file.lines);
        EXPECT_EQ(test::fileBytes(folder.path() / file.name), file.bytes) << file.name;
    }
    EXPECT_EQ(keptDatabaseLocation(folder.path()), "server/3051:/data/zlt.fdb");
    EXPECT_EQ(loadDisciplineRules(folder.path()).rules.of({true, 1}).kind, ResultKind::Points);

    write(EventChoice::Publishing, "\xEF\xBB\xBF/srv/web  \r\nautomaticky\r\n");
    EXPECT_THAT(readChoice(folder.path(), EventChoice::Publishing).lines,
                ElementsAre("/srv/web", "automaticky"))
        << "a file edited on Windows";
    keepChoice(folder.path(), EventChoice::Publishing, {});
    EXPECT_FALSE(fs::exists(folder.path() / "publikace.txt")) << "no lines forget the choice";
    EXPECT_EQ(readChoice(folder.path(), EventChoice::Publishing).lines.size(), 0u);
}

TEST_F(EventChoices, ADamagedFileIsNamedWithItsLine) {
    const std::pair<std::string, std::string> damaged[] = {
        {"/srv/web\nautom\xE8ticky\n",
         "Soubor publikace.txt, řádek 2: text není v kódování UTF-8."},
        {std::string(20000, 'x'), "Soubor publikace.txt je příliš velký (20000 bajtů)"}};
    for (const auto& [bytes, problem] : damaged) {
        write(EventChoice::Publishing, bytes);
        const KeptChoice kept = readChoice(folder.path(), EventChoice::Publishing);
        EXPECT_THAT(kept.problem, HasSubstr(problem));
        EXPECT_TRUE(kept.lines.empty());
    }
    fs::remove(folder.path() / "publikace.txt");
    fs::create_directory(folder.path() / "publikace.txt");
    EXPECT_EQ(readChoice(folder.path(), EventChoice::Publishing).problem,
              "Soubor publikace.txt nelze přečíst.");
    EXPECT_EQ(test::thrownMessage<Refusal>(
                  [&] { keepChoice(folder.path(), EventChoice::Publishing, {"/srv/web"}); }),
              "Volbu publikování nelze uložit do souboru " +
                  (folder.path() / "publikace.txt").string() + ": na jeho místě je složka.");
    EXPECT_TRUE(fs::is_directory(folder.path() / "publikace.txt"));
}

// The folder's own file may not be the database meant, so a damaged location opens none.
TEST(DatabaseLocationChoice, ADamagedOneOpensNoDatabase) {
    test::ensureCoreApplication();
    test::TempEventFolder folder;
    test::WorkingDirectory inFolder(folder.path());
    std::ofstream(choiceFile(EventChoice::DatabaseLocation)) << "server:/data/\xE8.fdb\n";
    Competition competition;
    EXPECT_THAT(test::thrownMessage<Refusal>([&] { competition.openPreliminary(); }),
                Optional(HasSubstr("databaze.txt, řádek 1")));
    EXPECT_EQ(Competition("localhost:zlt").databaseLocation(), "localhost:zlt")
        << "a location given is taken as it is";
}

}  // namespace
}  // namespace zlt::competition

// zlt-demo-event as the demo's making step runs it, on a real event folder: the results it
// posts, and the files it refuses without writing a row or the details.
#include <gmock/gmock.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "competition/SettingsFile.h"
#include "tests/support/Database.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DemoEvent : public ::testing::Test {
protected:
    // The exit code and what was said on stderr.
    std::pair<int, std::string> run(const std::string& results) {
        const fs::path file = scratch.path() / "vysledky.csv";
        std::ofstream(file, std::ios::binary) << results;
        QProcess process;
        process.start(QStringLiteral(ZLT_DEMO_EVENT_TOOL),
                      {QString::fromStdString(folder.path().string()),
                       QString::fromStdString(file.string())});
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardError().toStdString()};
    }
    std::vector<std::string> stored(int position) {
        std::vector<std::string> values;
        for (const auto& row : storedRows(folder.database(), db::preliminaryFields(), "CISLO")) {
            values.push_back(db::displayText(row[static_cast<std::size_t>(position)]));
        }
        return {values.begin(), values.begin() + 3};
    }

    std::string edition() {
        return competition::readSettingsFile(folder.path() / "Nastaveni.txt").texts[0];
    }

    TempEventFolder folder;
    TempFolder scratch;
};

// The last line may lack its line end, as an editor may save it.
TEST_F(DemoEvent, PostsEachTeamsResultsAndTheDemosDetails) {
    const auto [exitCode, said] = run("číslo;4;1\n2;12,5 m;1:23,4\n1;DNF;59,9");
    ASSERT_EQ(exitCode, 0) << said;
    EXPECT_THAT(stored(*db::preliminaryFields().positionOf("DISCIPLINA1")),
                ElementsAre("59,9", "1:23,4", ""));
    EXPECT_THAT(stored(*db::preliminaryFields().positionOf("DISCIPLINA4")),
                ElementsAre("DNF", "12,5 m", ""));
    EXPECT_EQ(edition(), "27");
}

TEST_F(DemoEvent, RefusesAFaultyFileNamingItsLineAndWritesNoResult) {
    const struct {
        std::string results;
        std::string said;
    } cases[] = {
        {"číslo;1;F1\n1;1:00,0;3\n", "řádek 1: „F1“ není disciplína základní části"},
        {"číslo;1\n1;1:00,0\n2\n", "řádek 3: čekám číslo družstva a výsledek"},
        {"číslo;1\n1;1:00,0\n31;1:01,0\n", "řádek 3: družstvo číslo 31 v tabulce není"},
        {"číslo;1\n", "nemá záhlaví s disciplínami a aspoň jedno družstvo"},
    };
    for (const auto& faulty : cases) {
        const auto [exitCode, said] = run(faulty.results);
        EXPECT_EQ(exitCode, 1) << faulty.results;
        EXPECT_THAT(said, HasSubstr(faulty.said));
        EXPECT_THAT(stored(*db::preliminaryFields().positionOf("DISCIPLINA1")),
                    ElementsAre("", "", ""))
            << faulty.results;
        EXPECT_EQ(edition(), "1") << "the new event's details stay";
    }
}

}  // namespace
}  // namespace zlt::test

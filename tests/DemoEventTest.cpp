// zlt-demo-event as the demo's making step runs it, on a real event folder: the files it
// refuses without writing a result or the details. What it posts shows in the demo's
// end-to-end scenario.
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
using ::testing::HasSubstr;

TEST(DemoEvent, RefusesAFaultyResultsFileNamingItsLineAndWritesNothing) {
    const struct {
        std::string results;
        std::string said;
    } cases[] = {
        {"číslo;1;F1\n1;1:00,0;3\n", "řádek 1: „F1“ není disciplína základní části"},
        {"číslo;1\n1;1:00,0\n2\n", "řádek 3: čekám číslo družstva a výsledek"},
        // A last line without its line end is read, as an editor may save it so.
        {"číslo;1\n1;1:00,0\n31;1:01,0", "řádek 3: družstvo číslo 31 v tabulce není"},
        {"číslo;1\n", "nemá záhlaví s disciplínami a aspoň jedno družstvo"},
    };
    const TempEventFolder folder;
    const TempFolder scratch;
    const fs::path file = scratch.path() / "vysledky.csv";
    for (const auto& faulty : cases) {
        SCOPED_TRACE(faulty.results);
        std::ofstream(file, std::ios::binary) << faulty.results;
        QProcess process;
        process.start(QStringLiteral(ZLT_DEMO_EVENT_TOOL),
                      {QString::fromStdString(folder.path().string()),
                       QString::fromStdString(file.string())});
        process.waitForFinished(60000);
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_THAT(process.readAllStandardError().toStdString(), HasSubstr(faulty.said));
        const int result = *db::preliminaryFields().positionOf("DISCIPLINA1");
        for (const auto& row : storedRows(folder.database(), db::preliminaryFields(), "CISLO")) {
            EXPECT_TRUE(db::isNull(row[static_cast<std::size_t>(result)]));
        }
        EXPECT_EQ(competition::readSettingsFile(folder.path() / "Nastaveni.txt").texts[0], "1")
            << "the new event's details stay";
    }
}

}  // namespace
}  // namespace zlt::test

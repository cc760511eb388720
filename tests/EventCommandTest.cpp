// zlt-event as an organiser's script runs it: a process of its own on a real event folder,
// judged by its exit code, what it prints and what the database holds afterwards.
#include <gmock/gmock.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "tests/support/Database.h"
#include "tests/support/Files.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

Outcome zltEvent(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ZLT_EVENT_TOOL), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QString text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

class EventCommand : public ::testing::Test {
protected:
    Outcome inEvent(const char* command, QStringList more = {}) {
        return zltEvent(QStringList{QString::fromLatin1(command), text(folder.path())} + more);
    }
    fs::path writeList(const std::string& bytes) {
        const fs::path file = scratch.path() / "seznam.csv";
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    std::vector<std::string> column(const char* field, const db::FieldList& fields,
                                    const char* order) {
        std::vector<std::string> values;
        const int position = *fields.positionOf(field);
        for (const auto& row : storedRows(folder.database(), fields, order)) {
            values.push_back(db::displayText(row[static_cast<std::size_t>(position)]));
        }
        return values;
    }

    TempEventFolder folder;
    TempFolder scratch;
};

TEST_F(EventCommand, UsageMistakesExitWithTwoAndNameTheMistake) {
    EXPECT_EQ(zltEvent({}).exitCode, 2);
    const Outcome unknown = zltEvent({QStringLiteral("publish"), QStringLiteral("x")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_THAT(unknown.err, HasSubstr("neznámý příkaz publish"));
    EXPECT_EQ(inEvent("rank", {QStringLiteral("--fast")}).exitCode, 2);
    EXPECT_EQ(inEvent("import").exitCode, 2) << "the file is missing";
}

TEST_F(EventCommand, ImportRankAndExportWorkOnTheEventAndSayWhatTheyDid) {
    const Outcome imported = inEvent("import", {text(writeList("1;Lhota\r\n2;Ves\r\n3;Žďár\r\n"))});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_THAT(imported.out, HasSubstr("Zapsáno družstev do DATAZLT: 3"));
    execute(folder.database(), "UPDATE DATAZLT SET CELKEM = 7 WHERE CISLO IN (1, 3)");
    execute(folder.database(), "UPDATE DATAZLT SET CELKEM = 4 WHERE CISLO = 2");

    const Outcome ranked = inEvent("rank");
    ASSERT_EQ(ranked.exitCode, 0) << ranked.err;
    EXPECT_THAT(ranked.out, HasSubstr("3 změn"));
    const auto ranks = column("PORADI", db::preliminaryFields(), "CISLO");
    EXPECT_THAT(std::vector(ranks.begin(), ranks.begin() + 4), ElementsAre("2", "1", "2", ""));

    const fs::path out = scratch.path() / "web";
    const Outcome exported = inEvent("export", {text(out), QStringLiteral("--csv")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_TRUE(fs::exists(out / "predkolo.csv"));
    EXPECT_FALSE(fs::exists(out / "index.html")) << "only CSV was asked for";
    EXPECT_THAT(fileBytes(out / "predkolo.csv"), HasSubstr("Žďár"));

    const Outcome journal = inEvent("journal");
    ASSERT_EQ(journal.exitCode, 0) << journal.err;
    EXPECT_THAT(journal.out, HasSubstr("DATAZLT 3  DRUZSTVO:  -> Žďár"));
    EXPECT_THAT(journal.out, HasSubstr("DATAZLT 2  PORADI:  -> 1"));
}

TEST_F(EventCommand, RefusesClearlyAndChangesNothingWhenTheDatabaseIsHeldOrMissing) {
    {
        db::Connection holder;
        holder.setPath(folder.database().string());
        holder.connect();
        const Outcome held = inEvent("import", {text(writeList("Lhota\n"))});
        EXPECT_EQ(held.exitCode, 1);
        EXPECT_THAT(held.err, HasSubstr("má otevřenou jiný program"));
    }
    EXPECT_EQ(column("DRUZSTVO", db::preliminaryFields(), "CISLO")[0], "");

    const Outcome binary = inEvent("import", {text(writeList(std::string("\x00\x01\x02", 3)))});
    EXPECT_EQ(binary.exitCode, 1);
    EXPECT_THAT(binary.err, HasSubstr("binární"));

    const Outcome nowhere = zltEvent({QStringLiteral("rank"), text(scratch.path())});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_THAT(nowhere.err, HasSubstr("není databáze ZLT04.GDB"));
}

TEST_F(EventCommand, ARestoredCopyBringsBackWhatItHeld) {
    inEvent("import", {text(writeList("Lhota\n"))});
    const Outcome backup = inEvent("backup");
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    inEvent("import", {text(writeList("Ves\n"))});
    const std::string copy = backup.out.substr(backup.out.rfind('/') + 1);
    const Outcome restored = inEvent("restore", {QString::fromStdString(copy).trimmed()});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(column("DRUZSTVO", db::preliminaryFields(), "CISLO")[0], "Lhota");
    EXPECT_EQ(inEvent("restore", {QStringLiteral("ZLT04-19990101-000000.GDB")}).exitCode, 1);
}

}  // namespace
}  // namespace zlt::test

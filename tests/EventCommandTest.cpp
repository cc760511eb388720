// zlt-event as an organiser's script runs it: a process of its own on a real event folder,
// judged by its exit code, what it prints and what the database holds afterwards.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/BrokenCopies.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/Finalists.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/TeamLists.h"

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

// Qt's parser reads the command line; what the user reads of it is Czech, one line.
TEST(EventCommandLine, HelpVersionAndMistakesAsTheUserSeesThem) {
    const std::string hint = " (nápovědu vypíše zlt-event --help)\n";
    const struct {
        QStringList arguments;
        int exitCode;
        std::string out;  // a part of it
        std::string err;  // all of it
    } cases[] = {
        {{"--help"}, 0, "Použití: zlt-event PŘÍKAZ", ""},
        {{"-h"}, 0, "  -V, --version", ""},
        {{"export", "--help"}, 0, "Použití: zlt-event PŘÍKAZ", ""},
        {{"--version"}, 0, "zlt-event " ZLT_TEST_VERSION "\n", ""},
        {{}, 2, "", "zlt-event: chybí příkaz" + hint},
        {{"--bogus"}, 2, "", "zlt-event: neznámá volba „--bogus“" + hint},
        {{"rank", "ročník", "--fast"}, 2, "", "zlt-event: neznámá volba „--fast“" + hint},
        {{"serve", "ročník", "--port"}, 2, "", "zlt-event: volbě „--port“ chybí hodnota" + hint},
        {{"export", "ročník", "web", "--csv=ano"},
         2,
         "",
         "zlt-event: volba „--csv“ nemá hodnotu" + hint},
        {{"export", "ročník"}, 2, "", "zlt-event: příkaz export chce 2 argument(y)" + hint},
        {{"publish", "ročník"}, 2, "", "zlt-event: neznámý příkaz publish" + hint},
    };
    for (const auto& expected : cases) {
        const std::string named = expected.arguments.join(' ').toStdString();
        const Outcome outcome = zltEvent(expected.arguments);
        EXPECT_EQ(outcome.exitCode, expected.exitCode) << named;
        EXPECT_THAT(outcome.out, HasSubstr(expected.out)) << named;
        EXPECT_EQ(outcome.err, expected.err) << named;
    }
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

// Without a window there are no radio buttons: the finals mode is an option, and the
// export's finals standings show the starting values in continuation mode only.
TEST_F(EventCommand, ExportShowsTheStartingValuesInContinuationModeOnly) {
    const std::map<QString, QString> startingValues = continuingFinalists(folder.database());
    const std::vector<std::pair<QStringList, std::map<QString, QString>>> cases = {
        {{}, {}},
        {{QStringLiteral("--finals-mode"), QStringLiteral("vynulovani")}, {}},
        {{QStringLiteral("--finals-mode=pokracovani")}, startingValues}};
    for (const auto& [mode, shown] : cases) {
        SCOPED_TRACE(mode.join(QLatin1Char(' ')).toStdString());
        const fs::path out = scratch.path() / "web";
        const Outcome exported = inEvent("export", QStringList{text(out), "--html"} + mode);
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        EXPECT_EQ(startingValueColumn(
                      tableRows(QString::fromStdString(fileBytes(out / "finale-poradi.html")))),
                  shown);
    }
    const Outcome wrong = inEvent(
        "export", {text(scratch.path()), QStringLiteral("--finals-mode"), QStringLiteral("oboje")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_THAT(wrong.err, HasSubstr("volba --finals-mode chce vynulovani nebo pokracovani"));
}

// The rows are committed either way; what a script must learn is that their journal lines
// are not safe: a journal on a full disk, and one whose lines are taken but can never be
// synced (a pipe), both end the command with 1 and a Czech sentence.
TEST_F(EventCommand, AJournalThatCannotBeMadeDurableFailsTheCommand) {
    const fs::path journal = folder.path() / "zmeny.csv";
    fs::create_symlink("/dev/full", journal);
    const Outcome full = inEvent("import", {text(writeList("1;Lhota\n"))});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_THAT(full.err, HasSubstr("deník změn je nemá celé na disku"));
    EXPECT_THAT(full.err, HasSubstr("disk je plný"));

    fs::remove(journal);
    ASSERT_EQ(mkfifo(journal.c_str(), 0644), 0);
    const Outcome unsynced = inEvent("import", {text(writeList("2;Ves\n"))});
    EXPECT_EQ(unsynced.exitCode, 1);
    EXPECT_THAT(unsynced.err, HasSubstr("Deník změn zmeny.csv nelze zapsat"));
    EXPECT_EQ(column("DRUZSTVO", db::preliminaryFields(), "CISLO")[1], "Ves")
        << "the rows themselves are committed";

    fs::remove(journal);
    const Outcome fine = inEvent("import", {text(writeList("3;Lhota\n"))});
    EXPECT_EQ(fine.exitCode, 0) << fine.err;
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

struct Measured {
    int exitCode;
    std::string err;
    long peakKilobytes;  // the most memory the process ever had
};

// zlt-event run as a child of its own, waited for with its own resource usage: the peak
// of that one process, whatever the test process holds.
Measured measuredZltEvent(const std::vector<std::string>& arguments, const fs::path& errFile) {
    std::vector<std::string> words{ZLT_EVENT_TOOL};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    int status = 0;
    rusage usage{};
    EXPECT_EQ(wait4(child, &status, 0, &usage), child);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileBytes(errFile), usage.ru_maxrss};
}

// The wrong spreadsheet export of a new user: 10 MB of 400,000 teams. It is refused by its
// count without a row written, in memory near the file's size; a file over the limit is
// refused by its size before it is read.
TEST_F(EventCommand, AWrongFileIsRefusedByItsCountOrItsSizeInLittleMemory) {
    constexpr long kBound = 64 * 1024;  // kilobytes above the program's own
    const fs::path err = scratch.path() / "err.txt";
    const auto import = [&](const fs::path& list) {
        return measuredZltEvent({"import", folder.path().string(), list.string()}, err);
    };
    const Measured base = import(writeList("\x01"));
    ASSERT_EQ(base.exitCode, 1) << base.err;

    const fs::path big = scratch.path() / "big.csv";
    std::ofstream(big, std::ios::binary) << numberedTeams(1, 400000);
    ASSERT_GT(fs::file_size(big), 10'000'000u);
    const Measured counted = import(big);
    EXPECT_EQ(counted.exitCode, 1);
    EXPECT_THAT(counted.err,
                HasSubstr("zlt-event: Soubor obsahuje 400 000 družstev; ZLT jich pojme nejvýše "
                          "500. Vybrali jste správný soubor?\n"));
    if (!kUnderSanitizer) {
        EXPECT_LT(counted.peakKilobytes - base.peakKilobytes, kBound)
            << "the program alone peaks at " << base.peakKilobytes << " kB";
    }

    const fs::path huge = scratch.path() / "huge.csv";
    std::ofstream{huge};
    fs::resize_file(huge, std::uintmax_t{1} << 30);
    const Measured sized = import(huge);
    EXPECT_EQ(sized.exitCode, 1);
    EXPECT_THAT(sized.err,
                HasSubstr("huge.csv má 1,0 GB; seznam družstev může mít nejvýše 16 MB."));
    if (!kUnderSanitizer) {
        EXPECT_LT(sized.peakKilobytes - base.peakKilobytes, kBound);
    }

    EXPECT_EQ(storedRows(folder.database(), db::preliminaryFields(), "CISLO").size(), 30u);
    EXPECT_FALSE(fs::exists(folder.path() / "zmeny.csv")) << "nothing journalled";
}

TEST_F(EventCommand, EveryBrokenCopyIsListedAsUnreadableAndItsRestoreRefused) {
    inEvent("import", {text(writeList("Lhota\n"))});
    const Outcome backup = inEvent("backup");
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const fs::path sound =
        backup.out.substr(backup.out.find('/'), backup.out.rfind('\n') - backup.out.find('/'));
    inEvent("import", {text(writeList("Ves\n"))});
    const fs::path broken = folder.path() / "zalohy" / kBrokenCopyName;
    const std::string journal = fileBytes(folder.path() / "zmeny.csv");

    for (const BrokenCopyKind& kind : brokenCopyKinds()) {
        kind.make(sound, broken);
        const Outcome listed = inEvent("copies");
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_THAT(listed.out, HasSubstr(broken.string() + "  nečitelná (" + kind.reason))
            << kind.name;
        // Each run that opens the event counts its attachment in the database's header.
        const std::string database = settledChecksum(folder.database());
        const Outcome refused = inEvent("restore", {QString::fromLatin1(kBrokenCopyName)});
        EXPECT_EQ(refused.exitCode, 1) << kind.name;
        EXPECT_THAT(refused.err, HasSubstr("Záloha " + std::string(kBrokenCopyName) +
                                           " je poškozená (" + kind.reason))
            << kind.name;
        EXPECT_THAT(refused.err, HasSubstr("); databáze zůstala beze změny.")) << kind.name;
        EXPECT_EQ(settledChecksum(folder.database()), database) << kind.name;
        EXPECT_EQ(fileBytes(folder.path() / "zmeny.csv"), journal) << kind.name;
        fs::remove(broken);
    }

    const Outcome restored = inEvent("restore", {text(sound.filename())});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(column("DRUZSTVO", db::preliminaryFields(), "CISLO")[0], "Lhota");
}

TEST_F(EventCommand, AFolderOrFileTheSystemRefusesIsNamedInCzech) {
    const Outcome proc = inEvent("export", {QStringLiteral("/proc/x")});
    EXPECT_EQ(proc.exitCode, 1);
    EXPECT_THAT(proc.err, HasSubstr("Složku /proc/x nelze vytvořit: "));
    EXPECT_THAT(proc.err, ::testing::Not(HasSubstr("filesystem error")));

    const Outcome again = zltEvent({QStringLiteral("new"), text(folder.path())});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.err, HasSubstr("Databáze " + folder.database().string() +
                                     " už existuje; zůstává, jak je."));

    const fs::path file = scratch.path() / "soubor";
    std::ofstream(file) << "x";
    const Outcome underFile = zltEvent({QStringLiteral("new"), text(file / "rocnik")});
    EXPECT_EQ(underFile.exitCode, 1);
    EXPECT_THAT(underFile.err, HasSubstr("Složku " + (file / "rocnik").string() +
                                         " nelze vytvořit: v cestě je soubor místo složky."));
}

// What a program of poppler-utils prints about the PDF.
std::string popplerSays(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromLatin1(program), arguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

TEST_F(EventCommand, DiplomasOfEveryPlacedTeamArePagesOfAPdfInPlaceOrder) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Lhota' WHEN 2 THEN 'Ves' "
            "WHEN 3 THEN 'Žďár' WHEN 4 THEN 'Bez pořadí' ELSE '' END, PORADI = CASE CISLO WHEN 1 "
            "THEN 3 WHEN 2 THEN 1 WHEN 3 THEN 1 WHEN 9 THEN 2 END");
    const fs::path pdf = scratch.path() / "diplomy.pdf";
    const Outcome made = inEvent("diplomas", {text(pdf), QStringLiteral("--all")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_THAT(made.out, HasSubstr("Zapsáno diplomů: 3"));
    const std::string info = popplerSays("pdfinfo", {text(pdf)});
    EXPECT_THAT(info, HasSubstr("Pages:           3"));
    EXPECT_THAT(info, HasSubstr("Page size:       842 x 595 pts (A4)")) << "across";
    const struct {
        const char* team;
        const char* place;
    } expected[] = {{"Ves", "za 1. místo"}, {"Žďár", "za 1. místo"}, {"Lhota", "za 3. místo"}};
    for (int page = 1; page <= 3; ++page) {
        const QString number = QString::number(page);
        const std::string shown =
            popplerSays("pdftotext", {QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                                      text(pdf), QStringLiteral("-")});
        EXPECT_THAT(shown, HasSubstr("Diplom")) << page;
        EXPECT_THAT(shown, HasSubstr(expected[page - 1].team)) << page;
        EXPECT_THAT(shown, HasSubstr(expected[page - 1].place)) << page;
    }

    const Outcome upright =
        inEvent("diplomas", {text(pdf), QStringLiteral("--top"), QStringLiteral("1"),
                             QStringLiteral("--ucast"), QStringLiteral("--portrait")});
    ASSERT_EQ(upright.exitCode, 0) << upright.err;
    const std::string uprightInfo = popplerSays("pdfinfo", {text(pdf)});
    EXPECT_THAT(uprightInfo, HasSubstr("Pages:           3")) << "two firsts, one for taking part";
    EXPECT_THAT(uprightInfo, HasSubstr("595 x 842 pts (A4)"));
}

TEST_F(EventCommand, DiplomasAreRefusedClearlyAndAnOldPdfStaysAsItWas) {
    const fs::path pdf = scratch.path() / "diplomy.pdf";
    std::ofstream(pdf, std::ios::binary) << "old";
    const Outcome unranked = inEvent("diplomas", {text(pdf)});
    EXPECT_EQ(unranked.exitCode, 1);
    EXPECT_THAT(unranked.err,
                HasSubstr("Žádné družstvo nemá pořadí: nejprve spočítejte nebo zadejte pořadí."));
    EXPECT_EQ(fileBytes(pdf), "old");

    execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Ves', PORADI = 1 WHERE CISLO = 1");
    const Outcome zero = inEvent("diplomas", {text(pdf), QStringLiteral("--top=0")});
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_THAT(zero.err, HasSubstr("Počet míst 0"));
    EXPECT_EQ(
        inEvent("diplomas", {text(pdf), QStringLiteral("--top"), QStringLiteral("tři")}).exitCode,
        2);
    EXPECT_EQ(
        inEvent("diplomas", {text(pdf), QStringLiteral("--round"), QStringLiteral("x")}).exitCode,
        2);
    EXPECT_EQ(fileBytes(pdf), "old");

    const fs::path nowhere = scratch.path() / "chybi" / "diplomy.pdf";
    const Outcome unwritable = inEvent("diplomas", {text(nowhere)});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_THAT(unwritable.err, HasSubstr("Soubor diplomy.pdf nelze zapsat do složky"));

    // A broken picture under the texts is told, and the diplomas print without it.
    std::ofstream(folder.path() / "diplom.jpg", std::ios::binary) << "\xFF\xD8 broken";
    const Outcome broken =
        inEvent("diplomas", {text(pdf), QStringLiteral("--round"), QStringLiteral("predkolo")});
    EXPECT_EQ(broken.exitCode, 0) << broken.err;
    EXPECT_THAT(broken.err, HasSubstr("diplom.jpg nelze přečíst"));
    EXPECT_THAT(popplerSays("pdftotext", {text(pdf), QStringLiteral("-")}), HasSubstr("Ves"));
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
        EXPECT_EQ(entry.path().filename(), "diplomy.pdf") << "nothing left half-written";
    }
}

// The assignments are read whole before any is kept: one mistake leaves the file as it was.
TEST_F(EventCommand, DisciplinesAreSetAndPrintedOrRefusedWhole) {
    const Outcome set =
        inEvent("disciplines", {QStringLiteral("2=cas"), QStringLiteral("F1=body,posledni")});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(std::count(set.out.begin(), set.out.end(), '\n'), 9);
    EXPECT_THAT(set.out, HasSubstr("\n2=cas\n"));
    EXPECT_THAT(set.out, HasSubstr("\nF1=body,posledni\n"));
    EXPECT_EQ(inEvent("disciplines").out, set.out) << "read back from the file";

    const fs::path file = folder.path() / "discipliny.txt";
    const std::string kept = fileBytes(file);
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("3=vzdalenost"), QStringLiteral("7=cas")},
          QStringList{QStringLiteral("2=hod")},
          QStringList{QStringLiteral("3=cas"), QStringLiteral("3=body")}}) {
        const Outcome refused = inEvent("disciplines", wrong);
        EXPECT_EQ(refused.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_THAT(refused.err, HasSubstr("zlt-event: ")) << wrong.join(' ').toStdString();
        EXPECT_EQ(fileBytes(file), kept) << wrong.join(' ').toStdString();
    }

    std::ofstream(file, std::ios::binary) << "2=kolo\n";
    const Outcome damaged = inEvent("disciplines");
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_THAT(damaged.err, HasSubstr("discipliny.txt"));
    EXPECT_THAT(damaged.out, ::testing::Not(HasSubstr("=cas"))) << "a damaged file is all manual";
}

TEST_F(EventCommand, PlacingsFromResultsAreWrittenWithTheirTotalsOrNotAtAll) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Lhota' WHEN 2 THEN 'Ves' ELSE "
            "'Žďár' END, DISCIPLINA2 = CASE CISLO WHEN 1 THEN '1:05,0' WHEN 2 THEN '58,2' ELSE "
            "'DNF' END, BOD1 = 4, PENALIZACE = CASE CISLO WHEN 1 THEN 2 END WHERE CISLO <= 3");
    ASSERT_EQ(inEvent("disciplines", {QStringLiteral("2=cas,posledni")}).exitCode, 0);
    const auto firstThree = [&](const char* field) {
        const auto values = column(field, db::preliminaryFields(), "CISLO");
        return std::vector(values.begin(), values.begin() + 3);
    };

    const Outcome preview = inEvent("placings", {QStringLiteral("2")});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    EXPECT_THAT(preview.out, HasSubstr("65 s"));
    EXPECT_THAT(preview.out, HasSubstr("58,2 s"));
    EXPECT_THAT(firstThree("BOD2"), ElementsAre("", "", "")) << "a preview writes nothing";

    const Outcome written = inEvent("placings", {QStringLiteral("2"), QStringLiteral("--write")});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(std::count(written.out.begin(), written.out.end(), '\n'), 4);
    EXPECT_THAT(firstThree("BOD2"), ElementsAre("2", "1", "3"));
    EXPECT_THAT(firstThree("CELKEM"), ElementsAre("8", "5", "7"));
    EXPECT_THAT(inEvent("journal").out, HasSubstr("DATAZLT 2  BOD2:  -> 1"));

    execute(folder.database(), "UPDATE DATAZLT SET DISCIPLINA2 = '1:60' WHERE CISLO = 2");
    const std::string journal = fileBytes(folder.path() / "zmeny.csv");
    const Outcome refused = inEvent("placings", {QStringLiteral("2"), QStringLiteral("--write")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("Nic nebylo zapsáno"));
    EXPECT_THAT(refused.err, HasSubstr("Ves"));
    EXPECT_THAT(firstThree("BOD2"), ElementsAre("2", "1", "3"));
    EXPECT_THAT(firstThree("CELKEM"), ElementsAre("8", "5", "7"));
    EXPECT_EQ(fileBytes(folder.path() / "zmeny.csv"), journal);

    EXPECT_EQ(inEvent("placings", {QStringLiteral("3")}).exitCode, 2) << "a manual discipline";
    EXPECT_EQ(inEvent("placings", {QStringLiteral("F4")}).exitCode, 2);
}

// Three teams placed 1st, 2nd and 3rd everywhere, with their totals and ranks: nothing to
// find until two of them share a placing that leaves no gap.
TEST_F(EventCommand, CheckTellsByItsExitCodeWhetherItFoundAnything) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Lhota' WHEN 2 THEN 'Ves' ELSE "
            "'Žďár' END, BOD1 = CISLO, BOD2 = CISLO, BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, "
            "BOD6 = CISLO, CELKEM = 6 * CISLO, PORADI = CISLO WHERE CISLO <= 3");
    const Outcome clean = inEvent("check");
    EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;

    execute(folder.database(), "UPDATE DATAZLT SET BOD1 = CISLO - 1 WHERE CISLO IN (2, 3)");
    const Outcome found = inEvent("check");
    EXPECT_EQ(found.exitCode, 1) << found.err;
    EXPECT_THAT(found.out, HasSubstr("Předkolo, "));
    EXPECT_THAT(found.out, HasSubstr("1. disciplína"));
    EXPECT_THAT(found.out, HasSubstr("CELKEM")) << "the totals were not recomputed";

    // Diplomas list the findings first and are made all the same.
    const fs::path pdf = scratch.path() / "diplomy.pdf";
    const Outcome diplomas = inEvent("diplomas", {text(pdf)});
    EXPECT_EQ(diplomas.exitCode, 0) << diplomas.err;
    EXPECT_THAT(diplomas.err, HasSubstr("kontrola výsledků našla"));
    EXPECT_THAT(diplomas.err, HasSubstr(found.out.substr(0, found.out.find('\n'))));
    EXPECT_TRUE(fs::exists(pdf));

    const Outcome nowhere = zltEvent({QStringLiteral("check"), text(scratch.path())});
    EXPECT_EQ(nowhere.exitCode, 2);
    EXPECT_THAT(nowhere.err, HasSubstr("není databáze ZLT04.GDB"));
}

}  // namespace
}  // namespace zlt::test

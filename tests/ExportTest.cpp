#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QSignalSpy>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>

#include "competition/Csv.h"
#include "competition/EventChoices.h"
#include "finals/Finale.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/Publishing.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/model/Generator.h"
#include "reports/sheets/Export.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PageQuery.h"
#include "tests/support/Thrown.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kBom = "\xEF\xBB\xBF";

// Output of a shell command and whether it ended well.
std::pair<std::string, bool> run(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, got);
    return {output, pclose(pipe) == 0};
}

// Put together piece by piece: GCC 12's Release build takes a quote added in front of a
// string for an overlapping copy.
std::string quoted(const fs::path& path) {
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

std::vector<std::vector<std::string>> csvOf(const fs::path& file) {
    const std::string bytes = fileBytes(file);
    EXPECT_EQ(bytes.substr(0, 3), kBom);
    return competition::csvRecords(std::string_view(bytes).substr(kBom.size()), ';');
}

class Export : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
        execute(folder.database(),
                "UPDATE DATAZLT SET DRUZSTVO = 'Tým ' || CISLO, BOD3 = 31 - CISLO, "
                "DISCIPLINA3 = CISLO || ',5 s', PENALIZACE = MOD(CISLO, 3), PORADI = CISLO, "
                "CELKEM = 2 * CISLO");
        execute(folder.database(), "DELETE FROM DATAZLTF");
        for (int rank = 1; rank <= 12; ++rank) {
            execute(folder.database(),
                    "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FBOD2, FPORADI, FCELKEM) "
                    "VALUES ('Finalista " +
                        std::to_string(rank) + "', " + std::to_string(13 - rank) + ", " +
                        std::to_string(rank) + ", " + std::to_string(rank) + ", " +
                        std::to_string(100 + rank) + ")");
        }
        rows().refresh();
        frmFinale->IBOQueryF.refresh();
    }
    std::vector<fs::path> exportAll(reports::ExportChoice choice = {}) {
        return reports::exportResults(competition(), reports::currentOptions(competition()),
                                      out.path(), choice);
    }
    void nameTeam(int number, const std::string& sqlText) {
        execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = " + sqlText +
                                       " WHERE CISLO = " + std::to_string(number));
        rows().refresh();
    }
    QString page(const std::string& name) {
        return QString::fromStdString(fileBytes(out.path() / name));
    }
    // A post of the grid's current row, which the change journal reports as a write.
    void postPoints(int points) {
        rows().edit();
        rows().setField("BOD1", points);
        rows().post();
    }

    TempFolder out;
};

TEST_F(Export, WritesEveryFileUnderItsNameIndexLast) {
    std::vector<std::string> names;
    for (const fs::path& file : exportAll())
        names.push_back(file.filename().string());
    EXPECT_THAT(names,
                ElementsAre("predkolo.csv", "finale.csv", "disciplina-1.html", "disciplina-2.html",
                            "disciplina-3.html", "disciplina-4.html", "disciplina-5.html",
                            "disciplina-6.html", "prubezne-poradi.html", "finale-disciplina-1.html",
                            "finale-disciplina-2.html", "finale-disciplina-3.html",
                            "finale-poradi.html", "celkove-poradi.html", "index.html"));
    const QString index = page("index.html");
    EXPECT_THAT(index.toStdString(), HasSubstr("href=\"finale-poradi.html\""));
    EXPECT_THAT(index.toStdString(), HasSubstr("href=\"predkolo.csv\""));

    fs::remove_all(out.path());
    fs::create_directory(out.path());
    const auto pagesOnly = exportAll({.csv = false, .html = true});
    EXPECT_EQ(pagesOnly.back().filename(), "index.html");
    EXPECT_THAT(page("index.html").toStdString(), Not(HasSubstr(".csv")));
    EXPECT_FALSE(fs::exists(out.path() / "predkolo.csv"));
    EXPECT_EQ(exportAll({.csv = true, .html = false}).size(), 2u);
}

TEST_F(Export, CsvTablesReadBackWithTheGridsTitlesAndAwkwardNames) {
    nameTeam(2, "'Ryby; \"Štiky\"' || ASCII_CHAR(10) || 'Žluťoučký'");
    exportAll({.csv = true, .html = false});

    const auto preliminary = csvOf(out.path() / "predkolo.csv");
    ASSERT_EQ(preliminary.size(), 31u);
    EXPECT_THAT(
        preliminary[0],
        ElementsAre("ČÍSLO", "DRUŽSTVO", "PENALIZACE", "1.DISCIPLÍNA", "1.Pořadí", "2.DISCIPLÍNA",
                    "2.Pořadí", "3.DISCIPLÍNA", "3.Pořadí", "4.DISCIPLÍNA", "4.Pořadí",
                    "5.DISCIPLÍNA", "5.Pořadí", "6.DISCIPLÍNA", "6.Pořadí", "CELKEM", "POŘADÍ"))
        << "the hidden CELKEMF is left out";
    EXPECT_THAT(preliminary[2], ElementsAre("2", "Ryby; \"Štiky\"\nŽluťoučký", "2", "", "", "", "",
                                            "2,5 s", "29", "", "", "", "", "", "", "4", "2"));
    // Every line ends in CR LF; the only other LF is the one inside the team's name.
    const std::string bytes = fileBytes(out.path() / "predkolo.csv");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 32);
    std::size_t crlf = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2))
        ++crlf;
    EXPECT_EQ(crlf, 31u);

    const auto finals = csvOf(out.path() / "finale.csv");
    ASSERT_EQ(finals.size(), 13u);
    EXPECT_THAT(finals[0],
                ElementsAre("DRUŽSTVO", "Pořadí", "1.DISCIPLÍNA", "1.Pořadí", "2.DISCIPLÍNA",
                            "2.Pořadí", "3.DISCIPLÍNA", "3.Pořadí", "CELKEM", "POŘADÍ"));
    EXPECT_THAT(finals, ::testing::Contains(
                            ElementsAre("Finalista 1", "12", "", "", "", "1", "", "", "101", "1")));
}

TEST_F(Export, CellsASpreadsheetWouldRunAsFormulasAreTextButSignedNumbersStayNumbers) {
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = '=HYPERLINK(\"http://x\")', PENALIZACE = -5, "
            "DISCIPLINA3 = '-12,5' WHERE CISLO = 2");
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = '@SUM(A1)', DISCIPLINA3 = '+3' WHERE CISLO = 3");
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = ASCII_CHAR(9) || 'Tab', DISCIPLINA3 = '-1+1' "
            "WHERE CISLO = 4");
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = ASCII_CHAR(13) || '=1', DISCIPLINA3 = '-' "
            "WHERE CISLO = 5");
    rows().refresh();
    const auto files = reports::exportFiles(competition().preliminary(), competition().finals(),
                                            reports::currentOptions(competition()),
                                            competition().details(), {.csv = true, .html = false});
    ASSERT_EQ(files.at(0).name, "predkolo.csv");
    std::vector<std::string> lines;
    const std::string& bytes = files[0].bytes;
    for (std::size_t at = 0, end = 0; (end = bytes.find("\r\n", at)) != std::string::npos;
         at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "2;\"'=HYPERLINK(\"\"http://x\"\")\";-5;;;;;-12,5;29;;;;;;;4;2");
    EXPECT_EQ(lines[3], "3;'@SUM(A1);0;;;;;+3;28;;;;;;;6;3");
    EXPECT_EQ(lines[4], "4;'\tTab;1;;;;;'-1+1;27;;;;;;;8;4");
    EXPECT_EQ(lines[5], "5;\"'\r=1\";2;;;;;'-;26;;;;;;;10;5");
}

TEST_F(Export, ASpreadsheetReadsTheCsvAsWeDo) {
    if (!run("command -v soffice").second) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed, so no spreadsheet can check "
                        "the CSV files";
    }
    nameTeam(2, "'Ryby; \"Štiky\"' || ASCII_CHAR(10) || 'Žluťoučký'");
    exportAll({.csv = true, .html = false});
    TempFolder converted;
    // 59: semicolons, 34: quotes, 76: UTF-8, 1: from the first line.
    const auto [output, ok] =
        run("HOME=" + quoted(converted.path()) +
            " soffice --headless --infilter=CSV:59,34,76,1 --convert-to csv:\"Text - txt - "
            "csv (StarCalc)\":59,34,76,1 --outdir " +
            quoted(converted.path() / "out") + " " + quoted(out.path() / "predkolo.csv"));
    ASSERT_TRUE(ok) << output;
    std::string back = fileBytes(converted.path() / "out" / "predkolo.csv");
    if (back.starts_with(kBom))
        back.erase(0, kBom.size());
    EXPECT_EQ(competition::csvRecords(back, ';'), csvOf(out.path() / "predkolo.csv"));
}

TEST_F(Export, PagesAreValidHtml5AndShowHostileNamesAsText) {
    if (!run("/usr/bin/python3 -c 'import html5lib'").second) {
        GTEST_SKIP() << "/usr/bin/python3 has no html5lib (apt-get install python3-html5lib), so "
                        "nothing can check the pages";
    }
    nameTeam(1, "'<script>alert(1)</script>'");
    execute(folder.database(), "UPDATE DATAZLTF SET DRUZSTVO = 'A & B \"C\"' WHERE FPORADI = 1");
    frmFinale->IBOQueryF.refresh();
    std::string command =
        "/usr/bin/python3 -c 'import sys, html5lib\n"
        "for name in sys.argv[1:]:\n"
        "    html5lib.HTMLParser(strict=True).parse(open(name, \"rb\").read())'";
    for (const fs::path& file : exportAll({.csv = false, .html = true})) {
        command += ' ';
        command += quoted(file);
    }
    const auto [output, ok] = run(command);
    EXPECT_TRUE(ok) << output;

    const std::string discipline = page("disciplina-1.html").toStdString();
    EXPECT_THAT(discipline, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt;"));
    EXPECT_THAT(discipline, Not(HasSubstr("<script>")));
    EXPECT_THAT(page("finale-poradi.html").toStdString(), HasSubstr("A &amp; B &quot;C&quot;"));
}

// Each page against the sheet its print command makes: the heading, the column titles and
// the rows in the grid's order.
TEST_F(Export, PagesShowWhatTheSheetsPrint) {
    confirmDetails(true);
    frmFinale->rbPokracovaniClick();
    clickTitle(8);  // "3.Pořadí" ascending: team 30 first
    exportAll({.csv = false, .html = true});

    const auto& details = competition().details();
    const std::vector<std::pair<std::string, std::function<reports::ReportHolder*()>>> sheets = {
        {"disciplina-3.html",
         [&] {
             frmTiskDisc->prepare(details, 3);
             return frmTiskDisc;
         }},
        {"prubezne-poradi.html",
         [&] {
             frmZLTTisk->prepare(details);
             return frmZLTTisk;
         }},
        {"finale-disciplina-2.html",
         [&] {
             frmTiskFDisc->prepare(details, 2);
             return frmTiskFDisc;
         }},
        {"finale-poradi.html",
         [&] {
             frmZLTFinaleTisk->prepare(details);
             return frmZLTFinaleTisk;
         }},
        {"celkove-poradi.html", [&] {
             frmCelkovyTisk->prepare(details);
             return frmCelkovyTisk;
         }}};
    for (const auto& [name, prepare] : sheets) {
        SCOPED_TRACE(name);
        const QString html = page(name);
        const Lines printed = printedLines(reports::generate(prepare()->QuickRep1));
        const Lines table = tableRows(html);
        ASSERT_GE(table.size(), 2u);
        // The column titles are the printed line just above the first row.
        const auto header = std::find(printed.begin(), printed.end(), table[0]);
        ASSERT_NE(header, printed.end()) << "the column titles print as one line";
        ASSERT_GE(printed.end() - header, static_cast<long>(table.size()));
        EXPECT_EQ(Lines(header, header + static_cast<long>(table.size())), table);
        const QString heading = printed.front().front();
        EXPECT_THAT(html.toStdString(), HasSubstr("<h1>" + heading.toStdString() + "</h1>"));
        EXPECT_THAT(html.toStdString(), HasSubstr("<title>" + heading.toStdString()));
    }
    EXPECT_THAT(page("disciplina-3.html").toStdString(), HasSubstr("<th>Penalizace</th>"));
    EXPECT_THAT(page("disciplina-3.html").toStdString(), HasSubstr("<p>Celkem družstev : 30</p>"));
    EXPECT_THAT(page("prubezne-poradi.html").toStdString(),
                HasSubstr("<h1>Průběžné výsledky 50.ZLT v základní části</h1>"));
}

TEST_F(Export, LeavesTheCurrentRowAndARowBeingTypedAsTheyAre) {
    selectCell(5, 1);
    rows().edit();
    rows().setField("DRUZSTVO", std::string("Rozepsané"));
    const auto before = stored();
    exportAll();
    EXPECT_EQ(rows().state(), db::DataSetState::Edit);
    EXPECT_TRUE(rows().modified());
    EXPECT_EQ(rows().recNo(), 5);
    EXPECT_EQ(rows().field(1), db::FieldValue(std::string("Rozepsané")));
    EXPECT_EQ(stored(), before) << "nothing was posted";
    EXPECT_EQ(csvOf(out.path() / "predkolo.csv")[6][1], "Rozepsané") << "shown as typed";
    rows().cancel();

    rows().append();
    exportAll();
    EXPECT_EQ(rows().state(), db::DataSetState::Insert);
    EXPECT_EQ(rows().recordCount(), 31);
    EXPECT_EQ(stored(), before);
}

TEST_F(Export, AFileThatCannotBeWrittenIsNamedAndLeftAsItWas) {
    // A folder where the last file should be stops root as well as anyone else: none of
    // the files before it takes its place either, and none is left half made.
    fs::create_directory(out.path() / "index.html");
    EXPECT_EQ(thrownMessage([&] { exportAll(); }), "Soubor index.html nelze zapsat do složky " +
                                                       out.path().string() +
                                                       ": na jeho místě je složka.");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(out.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_THAT(left, ElementsAre("index.html"));
    fs::remove(out.path() / "index.html");

    if (geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not bind root";
    }
    exportAll();
    const std::string old = fileBytes(out.path() / "predkolo.csv");
    nameTeam(1, "'Nové jméno'");
    chmod(out.path().c_str(), 0555);
    const auto message = thrownMessage([&] { exportAll(); });
    chmod(out.path().c_str(), 0755);
    EXPECT_EQ(message, "Soubor predkolo.csv nelze zapsat do složky " + out.path().string() +
                           ": nemáte právo zápisu.");
    EXPECT_EQ(fileBytes(out.path() / "predkolo.csv"), old);
}

class Publish : public Export {
protected:
    std::unique_ptr<reports::Publishing> publishing() {
        return std::make_unique<reports::Publishing>(competition(), folder.path());
    }
};

TEST_F(Publish, TheFolderAndTheChoiceAreKeptInTheEventFolder) {
    const fs::path target = out.path() / "web složka";
    {
        auto first = publishing();
        EXPECT_TRUE(first->folder().empty());
        EXPECT_FALSE(first->automatic());
        first->setFolder(target);
        first->setAutomatic(true);
    }
    EXPECT_EQ(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::Publishing)),
        target.string() + "\nautomaticky\n");
    auto second = publishing();
    EXPECT_EQ(second->folder(), target);
    EXPECT_TRUE(second->automatic());
    second->setAutomatic(false);
    EXPECT_FALSE(publishing()->automatic());
    EXPECT_EQ(publishing()->folder(), target);
}

TEST_F(Publish, ADamagedChoiceIsToldAndChoosesNothing) {
    std::ofstream(folder.path() / competition::choiceFile(competition::EventChoice::Publishing))
        << "/srv/web\nautomatic\n";
    auto damaged = publishing();
    EXPECT_EQ(damaged->problem().toStdString(),
              "Soubor publikace.txt, řádek 2: „automatic“ není „automaticky“.");
    EXPECT_TRUE(damaged->folder().empty());
    EXPECT_FALSE(damaged->automatic());
}

TEST_F(Publish, ChangesPublishSoonThenAtMostOncePerInterval) {
    auto publisher = publishing();
    publisher->setInterval(std::chrono::seconds(2));
    publisher->setFolder(out.path());
    publisher->setAutomatic(true);
    QSignalSpy published(publisher.get(), &reports::Publishing::published);
    selectCell(0, 4);
    postPoints(1);
    EXPECT_EQ(published.count(), 0) << "the publishing waits for the event loop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return published.count() == 1; }, 5000));
    EXPECT_EQ(csvOf(out.path() / "predkolo.csv")[1][4], "1");

    postPoints(2);
    postPoints(3);
    postPoints(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(published.count(), 1) << "within the interval the changes wait";
    ASSERT_TRUE(QTest::qWaitFor([&] { return published.count() == 2; }, 5000));
    EXPECT_EQ(csvOf(out.path() / "predkolo.csv")[1][4], "4");
    QTest::qWait(2500);
    EXPECT_EQ(published.count(), 2) << "the three changes went out together";
}

TEST_F(Publish, NothingIsPublishedUntilTheChoiceIsAutomatic) {
    auto publisher = publishing();
    publisher->setInterval(std::chrono::milliseconds(10));
    publisher->setFolder(out.path());
    publisher->setAutomatic(false);
    postPoints(7);
    QTest::qWait(100);
    EXPECT_FALSE(fs::exists(out.path() / "index.html"));
}

TEST_F(Publish, AFolderThatCannotBeWrittenIsToldAsAProblem) {
    auto publisher = publishing();
    publisher->setInterval(std::chrono::milliseconds(10));
    const fs::path missing = out.path() / "chybí";
    publisher->setFolder(missing);
    publisher->setAutomatic(true);
    QSignalSpy told(publisher.get(), &reports::Publishing::problemChanged);
    postPoints(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() == 1; }, 5000));
    EXPECT_EQ(publisher->problem().toStdString(), "Soubor predkolo.csv nelze zapsat do složky " +
                                                      missing.string() + ": složka neexistuje.");
    EXPECT_EQ(rows().state(), db::DataSetState::Browse) << "the operator works on";

    fs::create_directory(missing);
    postPoints(6);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() == 2; }, 5000));
    EXPECT_TRUE(publisher->problem().isEmpty());
    EXPECT_TRUE(fs::exists(missing / "index.html"));

    publisher->setFolder({});
    EXPECT_EQ(thrownMessage([&] { publisher->publishNow(); }),
              "Není zvolena složka, do které se výsledky publikují.");
    EXPECT_FALSE(publisher->problem().isEmpty());
}

}  // namespace
}  // namespace zlt::test

#include "app/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>

#include "tests/support/TempEventFolder.h"

namespace zlt::app {
namespace {

using ::testing::HasSubstr;
using Action = CommandLine::Action;

CommandLine parse(const QStringList& arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, StartsInTheCurrentFolderOrTheOneNamed) {
    EXPECT_EQ(parse({}).action, Action::Start);
    EXPECT_TRUE(parse({}).folder.isNull()) << "no argument keeps the folder it was started in";

    const CommandLine named = parse({"/tmp/ZLT 2027"});
    EXPECT_EQ(named.action, Action::Start);
    EXPECT_EQ(named.folder, "/tmp/ZLT 2027");

    EXPECT_EQ(parse({"--", "-odd name"}).folder, "-odd name") << "after --, a folder";
    EXPECT_EQ(parse({"-"}).folder, "-");
}

TEST(CommandLine, HelpVersionAndChooserWinOverTheRest) {
    for (const char* help : {"-h", "--help"}) {
        EXPECT_EQ(parse({help}).action, Action::Help) << help;
        EXPECT_EQ(parse({"folder", help, "--bogus"}).action, Action::Help) << help;
    }
    for (const char* version : {"-V", "--version"}) {
        EXPECT_EQ(parse({version}).action, Action::Version) << version;
    }
    EXPECT_EQ(parse({"--choose-folder"}).action, Action::ChooseFolder);
    EXPECT_EQ(parse({"--", "--help"}).action, Action::Start);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    const CommandLine unknown = parse({"--bogus"});
    EXPECT_EQ(unknown.action, Action::Invalid);
    EXPECT_THAT(unknown.error.toStdString(), HasSubstr("--bogus"));
    EXPECT_EQ(parse({"-x"}).action, Action::Invalid);
    EXPECT_EQ(parse({"one", "two"}).action, Action::Invalid);
    EXPECT_EQ(parse({""}).action, Action::Invalid) << "an empty name is not the current folder";
    EXPECT_EQ(parse({"--choose-folder", "one"}).action, Action::Invalid);
    EXPECT_EQ(parse({"-platform"}).action, Action::Invalid) << "its value is missing";
}

TEST(CommandLine, TakesADatabaseServerWithOrWithoutTheFolder) {
    const CommandLine both = parse({"--database", "server/3051:/data/zlt.fdb", "/tmp/ZLT"});
    EXPECT_EQ(both.action, Action::Start);
    EXPECT_EQ(both.database, "server/3051:/data/zlt.fdb");
    EXPECT_EQ(both.folder, "/tmp/ZLT");
    EXPECT_EQ(parse({"--database=localhost:zlt"}).database, "localhost:zlt");
    EXPECT_TRUE(parse({}).database.isEmpty()) << "the folder's own choice";
    for (const QStringList& missing : {QStringList{"--database"}, QStringList{"--database="}}) {
        const CommandLine refused = parse(missing);
        EXPECT_EQ(refused.action, Action::Invalid);
        EXPECT_THAT(refused.error.toStdString(), HasSubstr("chybí umístění databáze"));
    }
}

TEST(CommandLine, LeavesQtsOwnOptionsToQt) {
    const CommandLine command =
        parse({"-platform", "offscreen", "--style", "fusion", "-reverse", "-session=abc", "ev"});
    EXPECT_EQ(command.action, Action::Start);
    EXPECT_EQ(command.folder, "ev") << "option values are not taken for the folder";
    EXPECT_EQ(parse({"-session", "1234_5", "--choose-folder"}).action, Action::ChooseFolder)
        << "the session manager restarts the program with -session";
}

TEST(CommandLine, ReadsTheProgramsArgumentVector) {
    char program[] = "zlt";
    char folder[] = "Zeltov – 2027";
    char* argv[] = {program, folder, nullptr};
    const CommandLine command = parseCommandLine(2, argv);
    EXPECT_EQ(command.folder, QString::fromUtf8("Zeltov – 2027"));
}

TEST(CommandLine, HelpAndVersionEndTheProgramWithSuccess) {
    EXPECT_EQ(prepareStart(parse({"--help"})), 0);
    EXPECT_EQ(prepareStart(parse({"--version"})), 0);
    EXPECT_EQ(prepareStart(parse({"--bogus"})), 2);
    EXPECT_EQ(versionText().toStdString(), "zlt " ZLT_TEST_VERSION "\n");
    EXPECT_THAT(usageText().toStdString(), HasSubstr("--choose-folder"));
}

// The program as a process, as the desktop and scripts start it.
TEST(ProgramCommandLine, HelpVersionAndMistakesAsTheUserSeesThem) {
    const std::string hint = " (nápovědu vypíše zlt --help)\n";
    const struct {
        QStringList arguments;
        int exitCode;
        std::string out;  // a part of it
        std::string err;  // all of it
    } cases[] = {
        {{"--help"}, 0, "Použití: zlt [VOLBA] [SLOŽKA]", ""},
        {{"-V"}, 0, "zlt " ZLT_TEST_VERSION "\n", ""},
        {{"--bogus"}, 2, "", "zlt: neznámá volba „--bogus“" + hint},
        {{"-platform"}, 2, "", "zlt: volbě „-platform“ chybí hodnota" + hint},
        {{"--database"}, 2, "", "zlt: volbě „--database“ chybí umístění databáze" + hint},
        {{"--choose-folder=ano"}, 2, "", "zlt: volba „--choose-folder“ nemá hodnotu" + hint},
        {{"jedna", "dvě"}, 2, "", "zlt: lze zadat jen jednu složku události" + hint},
    };
    for (const auto& expected : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZLT_PROGRAM), expected.arguments);
        const std::string named = expected.arguments.join(' ').toStdString();
        ASSERT_TRUE(process.waitForFinished(30000)) << named;
        EXPECT_EQ(process.exitCode(), expected.exitCode) << named;
        EXPECT_THAT(process.readAllStandardOutput().toStdString(), HasSubstr(expected.out))
            << named;
        EXPECT_EQ(process.readAllStandardError().toStdString(), expected.err) << named;
    }
}

// The working directory is the whole process's, so it is restored after each case.
class EnteringAFolder : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::current_path(start_); }
    std::filesystem::path start_ = std::filesystem::current_path();
};

TEST_F(EnteringAFolder, MakesTheFolderTheWorkingDirectory) {
    test::TempEventFolder folder;
    EXPECT_EQ(prepareStart(parse({QString::fromStdString(folder.path().string())})), std::nullopt);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(folder.path()));
    EXPECT_TRUE(std::filesystem::exists("ZLT04.GDB"));
}

TEST_F(EnteringAFolder, RefusesAMissingFolderOrAFile) {
    test::TempFolder root;
    const QString missing = QString::fromStdString((root.path() / "chybí").string());
    EXPECT_EQ(prepareStart(parse({missing})), 2);
    EXPECT_THAT(enterEventFolder(missing).value_or("").toStdString(), HasSubstr("neexistuje"));

    std::ofstream(root.path() / "soubor") << "x";
    const QString file = QString::fromStdString((root.path() / "soubor").string());
    EXPECT_THAT(enterEventFolder(file).value_or("").toStdString(), HasSubstr("není složka"));
    EXPECT_EQ(std::filesystem::current_path(), start_) << "a refused folder is not entered";
}

TEST(RememberedFolders, KeepsTheLastEightMostRecentFirstWithoutRepeats) {
    QStandardPaths::setTestModeEnabled(true);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir(config + "/zlt").removeRecursively();

    EXPECT_TRUE(rememberedFolders().isEmpty());
    for (int index = 1; index <= 10; ++index) {
        rememberFolder(QStringLiteral("/srv/zlt/%1").arg(index));
    }
    rememberFolder("/srv/zlt/5");
    const QStringList folders = rememberedFolders();
    ASSERT_EQ(folders.size(), 8);
    EXPECT_EQ(folders.first(), "/srv/zlt/5");
    EXPECT_EQ(folders.count("/srv/zlt/5"), 1);
    EXPECT_EQ(folders[1], "/srv/zlt/10");
    EXPECT_FALSE(folders.contains("/srv/zlt/1")) << "the oldest are forgotten";
    EXPECT_TRUE(QFile::exists(config + "/zlt/zlt.conf"));
    QDir(config + "/zlt").removeRecursively();
}

}  // namespace
}  // namespace zlt::app

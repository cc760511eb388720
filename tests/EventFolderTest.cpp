#include "tools/EventFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "competition/EventFiles.h"
#include "database/DatabaseError.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/Thrown.h"

namespace zlt::tools {
namespace {

using competition::kDatabaseFile;
using competition::kSettingsFile;
using ::testing::HasSubstr;
using ::testing::Optional;

TEST(EventFolder, HoldsASeededDatabaseSettingsAndFourStamps) {
    test::TempEventFolder folder;
    const auto preliminary = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
    ASSERT_EQ(preliminary.size(), 30u);
    for (int row = 0; row < 30; ++row) {
        EXPECT_EQ(preliminary[row][0], db::FieldValue(row + 1));
        for (int position = 1; position < 18; ++position) {
            EXPECT_TRUE(db::isNull(preliminary[row][position])) << row << "/" << position;
        }
    }
    const auto finals = test::storedRows(folder.database(), db::finalsFields(), "FPORADI");
    ASSERT_EQ(finals.size(), 12u);
    for (const auto& row : finals) {
        EXPECT_EQ(row[0], db::FieldValue(std::string(" ")));
    }

    const std::string settings = test::fileBytes(folder.path() / kSettingsFile);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = settings.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, 13u);
    EXPECT_EQ(settings.size() - settings.rfind("\r\n"), 2u) << "the last line ends in CR LF too";
    EXPECT_EQ(settings.find('\n'), settings.find("\r\n") + 1) << "no lone LF";
    EXPECT_THAT(settings, HasSubstr("\r\nPenalizace ANO\r\nLetni hry\r\n"));
    EXPECT_THAT(settings, HasSubstr("B\xECh v pytli")) << "Windows-1250, not UTF-8";

    for (const char* stamp : {"razítko - létoB.jpg", "razítko - zimaB.jpg", "razítko - léto.jpg",
                              "razítko - zima.jpg"}) {
        EXPECT_GT(std::filesystem::file_size(folder.path() / stamp), 1000u) << stamp;
    }
}

TEST(EventFolder, NeverOverwritesADatabase) {
    test::TempEventFolder folder;
    test::execute(folder.database(), "DELETE FROM DATAZLT WHERE CISLO > 3");
    EXPECT_THAT(
        test::thrownMessage<competition::Refusal>([&] { createEventFolder(folder.path()); }),
        Optional(HasSubstr("už existuje; zůstává, jak je.")));
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO").size(), 3u);
}

TEST(EventFolder, KeepsTheSettingsOfAnEarlierEvent) {
    test::TempFolder folder;
    std::ofstream(folder.path() / kSettingsFile) << "49\r\n";
    createEventFolder(folder.path());
    EXPECT_EQ(test::fileBytes(folder.path() / kSettingsFile), "49\r\n");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / kDatabaseFile));
}

// What a power cut in the middle of an older version's run left, or in this version's: the
// first is named with what to do, the second never blocks the next run.
TEST(EventFolder, AHalfMadeEventIsNamedAndALeftoverWorkingFolderIsCleared) {
    test::TempFolder parent;
    const auto half = parent.path() / "2026";
    std::filesystem::create_directory(half);
    std::ofstream(half / kDatabaseFile) << std::string(4096, '\0');
    EXPECT_THAT(test::thrownMessage<competition::Refusal>([&] { createEventFolder(half); }),
                Optional(HasSubstr("obsahuje nedokončenou událost (databáze ZLT04.GDB se nedá "
                                   "otevřít). Nemá-li ještě žádné výsledky, smažte ji")));

    const auto target = parent.path() / "2027";
    const auto leftover = parent.path() / ".2027.rozpracovano-abcdef";
    std::filesystem::create_directory(leftover);
    std::ofstream(leftover / kDatabaseFile) << "cut short";
    createEventFolder(target);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(test::storedRows(target / kDatabaseFile, db::preliminaryFields(), "CISLO").size(),
              30u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(parent.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_THAT(names, ::testing::ElementsAre("2026", "2027")) << "no working folder stays";
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::others_read)
        << "the folder is readable as one made the usual way, not private as a working one";

    std::filesystem::remove(target / kDatabaseFile);
    std::filesystem::remove(target / "razítko - zima.jpg");
    createEventFolder(target);
    EXPECT_TRUE(std::filesystem::exists(target / "razítko - zima.jpg"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target),
                            std::filesystem::directory_iterator()),
              6)
        << "the database, the settings and four pictures, and no working folder";
}

TEST(EventFolder, AFailedCreationLeavesNoFileBehind) {
    test::TempFolder folder;
    const auto target = folder.path() / "no such folder" / kDatabaseFile;
    EXPECT_THROW(createDatabase(target), db::DatabaseError);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace zlt::tools

#include "tools/EventFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(EventFolder, AFailedCreationLeavesNoFileBehind) {
    test::TempFolder folder;
    const auto target = folder.path() / "no such folder" / kDatabaseFile;
    EXPECT_THROW(createDatabase(target), db::DatabaseError);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace zlt::tools

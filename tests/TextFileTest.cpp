#include "text/TextFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Thrown.h"
#include "text/Win1250.h"

namespace zlt::text {
namespace {

TEST(TextFile, WritesWin1250LinesEachEndedByCrLf) {
    test::TempFolder folder;
    const auto file = folder.path() / "Nastaveni.txt";
    writeWin1250Lines(file, {"50", "", "Běh v pytli"});
    EXPECT_EQ(test::fileBytes(file), "50\r\n\r\nB\xECh v pytli\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file may stay behind";
}

TEST(TextFile, AFailedWriteLeavesTheOldFileAsItWas) {
    test::TempFolder folder;
    const auto file = folder.path() / "Nastaveni.txt";
    writeWin1250Lines(file, {"old"});

    EXPECT_THROW(writeWin1250Lines(file, {"new", "Ж"}), EncodingError);
    EXPECT_EQ(test::fileBytes(file), "old\r\n");

    EXPECT_EQ(test::thrownMessage<std::runtime_error>(
                  [&] { writeWin1250Lines(folder.path() / "missing" / "Nastaveni.txt", {"x"}); }),
              "Cannot create file Nastaveni.txt");
}

// The settings are written by a name without a folder, in the working one; its folder is
// synced all the same.
TEST(TextFile, AFileNamedWithoutAFolderIsReplacedInTheWorkingOne) {
    test::TempFolder folder;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    replaceFile("Nastaveni.txt", "50\r\n");
    std::filesystem::current_path(before);
    EXPECT_EQ(test::fileBytes(folder.path() / "Nastaveni.txt"), "50\r\n");
}

}  // namespace
}  // namespace zlt::text

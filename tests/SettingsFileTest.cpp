#include <gtest/gtest.h>

#include "competition/SettingsFile.h"
#include "tests/support/TempEventFolder.h"
#include "text/TextFile.h"

namespace zlt::competition {
namespace {

TEST(SettingsFile, EveryLineEndingSplitsTheSameWay) {
    const std::vector<std::string> expected = {"50", "Běh", "", "x"};
    EXPECT_EQ(text::splitWin1250Lines("50\r\nB\xECh\r\n\r\nx\r\n"), expected);
    EXPECT_EQ(text::splitWin1250Lines("50\nB\xECh\n\nx"), expected);
    EXPECT_EQ(text::splitWin1250Lines("50\rB\xECh\r\rx\r"), expected);
    EXPECT_TRUE(text::splitWin1250Lines("").empty());
    // A lone CR followed by LF on the next line is one CR LF, not two ends.
    EXPECT_EQ(text::splitWin1250Lines("a\r\n\nb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(SettingsFile, MissingLinesReadEmptyAndTheLastTwoAreComparedExactly) {
    std::vector<std::string> lines = {"50", "Lhota", "d1", "d2", "d3",
                                      "d4", "d5",    "d6", "f1", "f2"};
    EventSettings settings = settingsFromLines(lines);
    EXPECT_EQ(settings.texts[9], "f2");
    EXPECT_EQ(settings.texts[10], "");
    EXPECT_FALSE(settings.penaltyShown);
    EXPECT_FALSE(settings.summer);

    lines.insert(lines.end(), {"f3", "Penalizace ANO", "Letni hry", "ignored"});
    settings = settingsFromLines(lines);
    EXPECT_TRUE(settings.penaltyShown);
    EXPECT_TRUE(settings.summer);

    for (const char* penalty : {"penalizace ano", "Penalizace ANO ", " Penalizace ANO"}) {
        lines[11] = penalty;
        EXPECT_FALSE(settingsFromLines(lines).penaltyShown) << penalty;
    }
    for (const char* season : {"Letní hry", "letni hry", "Letni hry\t"}) {
        lines[12] = season;
        EXPECT_FALSE(settingsFromLines(lines).summer) << season;
    }
}

TEST(SettingsFile, AFileThatCannotBeReadIsNamedInTheError) {
    test::TempFolder folder;
    for (const auto& file : {folder.path() / "Nastaveni.txt", folder.path()}) {
        try {
            text::readWin1250Lines(file);
            FAIL() << file;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "Cannot open file " + file.string());
        }
    }
}

}  // namespace
}  // namespace zlt::competition

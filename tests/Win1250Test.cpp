#include "text/Win1250.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/Thrown.h"

namespace zlt::text {
namespace {

TEST(Win1250, CzechTextRoundTripsThroughSingleBytes) {
    for (const std::string text :
         {"Žďár nad Sázavou", "Dolní Bousov", "ČÍSLO", "Pořadí", "€ – „x“"}) {
        SCOPED_TRACE(text);
        const std::string bytes = toWin1250(text);
        EXPECT_EQ(bytes.size(), utf8Length(text));
        EXPECT_EQ(fromWin1250(bytes), text);
    }
    EXPECT_EQ(toWin1250("Ž"), "\x8E");
    EXPECT_EQ(toWin1250("ř"), "\xF8");
}

TEST(Win1250, EveryByteDecodesAndEncodesBack) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(toWin1250(fromWin1250(one)), one) << byte;
    }
}

TEST(Win1250, RefusesWhatTheCodePageLacksInsteadOfReplacingIt) {
    for (const std::string text : {"Жеља", "snow ❄", "日本", "ø"}) {
        EXPECT_THROW(toWin1250(text), EncodingError) << text;
    }
    EXPECT_THAT(test::thrownMessage<EncodingError>([] { toWin1250("Praha Ж"); }),
                ::testing::Optional(::testing::HasSubstr("U+0416")));
    EXPECT_THAT([] { toWin1250("Praha Ж"); }, ::testing::Throws<EncodingError>(::testing::Property(
                                                  &EncodingError::character, char32_t{U'Ж'})));
}

TEST(Win1250, RefusesMalformedUtf8) {
    for (const std::string text : {"\xC3", "a\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xFF"}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_THROW(toWin1250(text), EncodingError);
        EXPECT_THROW(utf8Length(text), EncodingError);
    }
}

}  // namespace
}  // namespace zlt::text

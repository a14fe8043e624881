#include <gtest/gtest.h>

#include "config/storage/Cp1252.h"

using namespace dravel::config;

TEST(Cp1252, RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, MapsTheSpecialRangeAndUmlauts) {
    EXPECT_EQ(cp1252ToUtf8("\x80\x96\xE4\xD6\xFC\xDF"), "€–äÖüß");
    EXPECT_EQ(utf8ToCp1252("€–äÖüß"), "\x80\x96\xE4\xD6\xFC\xDF");
}

TEST(Cp1252, UnmappableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a\xCE\xA9z"), "a?z");      // Ω
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x9A\x92"), "?");  // emoji: one character
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");            // cut short
    EXPECT_EQ(utf8ToCp1252("\xC0\x8A"), "??");         // overlong line feed
    EXPECT_EQ(utf8ToCp1252("\xE4x"), "?x");            // stray Latin-1 byte
}

TEST(Cp1252, CountsAndCutsCharactersNotBytes) {
    EXPECT_EQ(utf8Length("Süd€"), 4u);
    EXPECT_EQ(utf8Left("Süd€x", 4), "Süd€");
    EXPECT_EQ(utf8Left("ab", 5), "ab");
}

TEST(Cp1252, FoldsAccentedLettersForNameMatching) {
    EXPECT_TRUE(cp1252EqualsNoCase("\xE4\xF6\xFC\x9A\xFF", "\xC4\xD6\xDC\x8A\x9F"));
    EXPECT_FALSE(cp1252EqualsNoCase("\xDF", "SS"));
    EXPECT_FALSE(cp1252EqualsNoCase("\xF7", "\xD7"));  // ÷ and × are no letters
}

// Named in the message about a path Kalvor could not open: each once, in order.
TEST(Cp1252, NamesTheCharactersItCannotHold) {
    struct Row {
        const char* utf8;
        std::vector<std::string> outside;
    };
    const Row rows[] = {
        {"C:\\Töne\\Gong €.wav", {}}, {"/snd/Łódź.wav", {"Ł", "ź"}}, {"ŁŁźŁ", {"Ł", "ź"}},
        {"Sirene 🚒 日", {"🚒", "日"}}, {"a\xC3", {"\xC3"}},  // malformed UTF-8 is not held either
    };
    for (const Row& row : rows)
        EXPECT_EQ(dravel::config::charactersOutsideCp1252(row.utf8), row.outside) << row.utf8;
}

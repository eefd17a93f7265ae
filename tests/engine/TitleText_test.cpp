#include <gtest/gtest.h>

#include "engine/TitleText.h"

namespace q64 {
namespace {

struct DecodeCase {
    std::string bytes;
    std::string shown;
};

class DecodeTitleTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTitleTest, EachByteIsOneCharacter) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(DecodeTitle(c.bytes), c.shown);
    EXPECT_EQ(CountCharacters(c.shown), c.bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeTitleTest,
    ::testing::Values(DecodeCase{"SUPER MARIO 64", "SUPER MARIO 64"},
                      DecodeCase{"\xBF\xDE\xD9\xC0\xDE", "\uFF7F\uFF9E\uFF99\uFF80\uFF9E"},  // half-width katakana
                      DecodeCase{"\xA1\xDF", "\uFF61\uFF9F"},                               // both ends of the range
                      DecodeCase{"A\xA0\xE0\x80\xFF", "A\uFFFD\uFFFD\uFFFD\uFFFD"},         // just outside it
                      DecodeCase{std::string("\x01\x1F\x7F", 3), "\uFFFD\uFFFD\uFFFD"},     // control bytes
                      DecodeCase{"", ""}));

TEST(ShownTitleTest, StopsAtZeroAndDropsTrailingSpaces) {
    EXPECT_EQ(ShownTitle(std::string("GAME  \0XYZ", 10)), "GAME");
    EXPECT_EQ(ShownTitle("  PADDED    "), "  PADDED");
    EXPECT_EQ(ShownTitle(std::string(20, ' ')), "");
}

struct EncodeCase {
    std::string text;
    std::string original;
    std::string bytes;
    std::vector<std::string> refused;
    std::vector<std::string> malformed;
};

class EncodeTitleTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTitleTest, BytesOrRefusedCharacters) {
    const EncodeCase& c = GetParam();
    const TitleEncoding e = EncodeTitle(c.text, c.original);
    EXPECT_EQ(e.refused, c.refused);
    EXPECT_EQ(e.malformed, c.malformed);
    if (e.Ok()) {
        EXPECT_EQ(e.bytes, c.bytes);
    }
}

const std::string kOddField = std::string("AB\x01\xE9  \0\0", 8) + std::string(12, '\x7F');

INSTANTIATE_TEST_SUITE_P(
    Texts, EncodeTitleTest,
    ::testing::Values(
        EncodeCase{"NEW TITLE", "", "NEW TITLE", {}, {}},
        EncodeCase{"\uFF7F\uFF9E\uFF99", "", "\xBF\xDE\xD9", {}, {}},
        // Untouched: the stored field comes back whole, zeros and odd bytes included.
        EncodeCase{"AB\uFFFD\uFFFD", kOddField, kOddField, {}, {}},
        // Edited: a replacement keeps the stored byte only where one was undecodable.
        EncodeCase{"AB\uFFFD\uFFFDC", kOddField, "AB\x01\xE9" "C", {}, {}},
        EncodeCase{"\uFFFDAB", kOddField, "", {"\uFFFD"}, {}},
        EncodeCase{"caf\u00E9 \u3042\u00E9", "", "", {"\u00E9", "\u3042"}, {}},
        EncodeCase{"TAB\tX", "", "", {"\t"}, {}},
        // Not UTF-8: overlong forms, surrogates, codes past U+10FFFF, stray and cut sequences.
        EncodeCase{"\xC0\xA4\xC1\x81", "", "", {}, {"C0 A4", "C1 81"}},
        EncodeCase{"\xE0\x81\xA4\xF0\x80\x81\x81", "", "", {}, {"E0 81 A4", "F0 80 81 81"}},
        EncodeCase{"A\xED\xA0\x80", "", "", {}, {"ED A0 80"}},
        EncodeCase{"\xF4\x90\x80\x80\xF5\x80", "", "", {}, {"F4 90 80 80", "F5 80"}},
        EncodeCase{"\x80\xFF\xE3\x81", "", "", {}, {"80", "FF", "E3 81"}},
        EncodeCase{"\xC0\xA4\u00E9\xC0\xA4", "", "", {"\u00E9"}, {"C0 A4"}}));

TEST(RefusedTitleMessageTest, NamesEveryCharacter) {
    EXPECT_EQ(ListCharacters({"a"}), "\"a\"");
    EXPECT_EQ(ListCharacters({"a", "b", "c"}), "\"a\", \"b\" and \"c\"");
    TitleEncoding e;
    e.refused = {"\u3042"};
    EXPECT_NE(RefusedTitleMessage(e).find("cannot hold \"\u3042\"."), std::string::npos);
    e.malformed = {"C0 A4"};
    EXPECT_NE(RefusedTitleMessage(e).find("\"\u3042\" or the bytes C0 A4, which are not UTF-8 text."), std::string::npos);
    e.refused.clear();
    e.malformed = {"FF"};
    EXPECT_NE(RefusedTitleMessage(e).find("cannot hold the byte FF, which is not UTF-8 text."), std::string::npos);
}

TEST(CountCharactersTest, MalformedSequencesCountPerByte) {
    EXPECT_EQ(CountCharacters("\uFF76\uFF76"), 2u);
    EXPECT_EQ(CountCharacters("\xE3\x81"), 2u);
    EXPECT_EQ(CountCharacters("\xFF" "A"), 2u);
}

} // namespace
} // namespace q64

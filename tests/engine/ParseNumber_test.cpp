#include <gtest/gtest.h>

#include <string>

#include "engine/ParseNumber.h"

namespace q64 {
namespace {

TEST(ParseNumber, ReadsEachBaseByItsForm) {
    EXPECT_EQ(parse_number("0x2bc"), 0x2BC);
    EXPECT_EQ(parse_number("0X2BC"), 0x2BC);
    EXPECT_EQ(parse_number("2BCh"), 0x2BC);
    EXPECT_EQ(parse_number("2bcH"), 0x2BC);
    EXPECT_EQ(parse_number("700"), 700);
    EXPECT_EQ(parse_number("0700"), 0700); // leading zero: octal
    EXPECT_EQ(parse_number("10h"), 16);
    EXPECT_EQ(parse_number("0x10h"), 16);  // the prefix is allowed with the H form too
    EXPECT_EQ(parse_number("0"), 0);
}

TEST(ParseNumber, AcceptsBlanksAndSignsAndStopsAtJunk) {
    EXPECT_EQ(parse_number("  42"), 42);
    EXPECT_EQ(parse_number("-42"), -42);
    EXPECT_EQ(parse_number("+0x10"), 16);
    EXPECT_EQ(parse_number("-1Fh"), -31);
    EXPECT_EQ(parse_number("12abc"), 12);
    EXPECT_EQ(parse_number("089"), 0);    // 8 is no octal digit
    EXPECT_EQ(parse_number("2BCh "), 2);  // the H must be the last character
}

TEST(ParseNumber, TextWithoutNumberIsZero) {
    EXPECT_EQ(parse_number(""), 0);
    EXPECT_EQ(parse_number("h"), 0);
    EXPECT_EQ(parse_number("port"), 0);
    EXPECT_EQ(parse_number("   "), 0);
    EXPECT_FALSE(ScanNumber("port").found);
}

TEST(ParseNumber, ClampsToThirtyTwoBits) {
    EXPECT_EQ(parse_number("0xFFFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(parse_number("-99999999999999999999999"), INT32_MIN);
    EXPECT_TRUE(ScanNumber("4294967296").clamped);
    EXPECT_FALSE(ScanNumber("2147483647").clamped);
    EXPECT_EQ(parse_number("-2147483648"), INT32_MIN);
}

TEST(ParseNumber, ReadsOnlyTheFirst127Characters) {
    const std::string longText = std::string(126, ' ') + "5" + "7";
    EXPECT_EQ(parse_number(longText), 5);
    EXPECT_FALSE(ScanNumber(longText).whole);
    // The H test looks at character 127, not at the real end.
    const std::string longHex = std::string(124, ' ') + "10h" + "junk";
    EXPECT_EQ(parse_number(longHex), 16);
}

TEST(ParseNumber, WholeTellsStrictCallersWhetherAllWasNumber) {
    EXPECT_TRUE(ScanNumber("0x2bc").whole);
    EXPECT_TRUE(ScanNumber("2BCh").whole);
    EXPECT_TRUE(ScanNumber("12  ").whole);
    EXPECT_FALSE(ScanNumber("12x").whole);
    EXPECT_FALSE(ScanNumber(std::string("12\0" "3", 4)).whole);
    EXPECT_EQ(parse_number(std::string("12\0" "3", 4)), 12);
}

} // namespace
} // namespace q64

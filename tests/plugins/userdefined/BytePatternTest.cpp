// Header and footer patterns as the user types them: hexadecimal with wildcards, or text.

#include "plugins/userdefined/Bytepattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct HexCase {
    const char* name;
    const char* text;
    Bytes bytes;
    Bytes mask;
};

class BytePatternHexTest : public ::testing::TestWithParam<HexCase> {
};

TEST_P(BytePatternHexTest, ReadsBytesAndMasks)
{
    const HexCase& c = GetParam();
    BytePattern pattern;
    ASSERT_EQ(pattern.parseHex(c.text, "ヘッダー"), "") << c.text;
    EXPECT_EQ(pattern.patternBytes(), c.bytes);
    EXPECT_EQ(pattern.patternMask(), c.mask);
    BytePattern again;
    ASSERT_EQ(again.parseHex(pattern.toHex(), "ヘッダー"), "") << "its own hexadecimal reads back: " << pattern.toHex();
    EXPECT_EQ(again.patternMask(), c.mask);
}

INSTANTIATE_TEST_SUITE_P(Texts, BytePatternHexTest,
                         ::testing::Values(
                             HexCase{"Spaced", "50 4B 03 04", {0x50, 0x4B, 0x03, 0x04}, {0xFF, 0xFF, 0xFF, 0xFF}},
                             HexCase{"Run", "504b0304", {0x50, 0x4B, 0x03, 0x04}, {0xFF, 0xFF, 0xFF, 0xFF}},
                             HexCase{"AnyByte", "FF ?? D8", {0xFF, 0x00, 0xD8}, {0xFF, 0x00, 0xFF}},
                             HexCase{"LoneQuestionMark", "FF ? D8", {0xFF, 0x00, 0xD8}, {0xFF, 0x00, 0xFF}},
                             HexCase{"AnyDigit", "4? ?a", {0x40, 0x0A}, {0xF0, 0x0F}},
                             HexCase{"OtherSeparators", "  00\t01,02 ", {0x00, 0x01, 0x02}, {0xFF, 0xFF, 0xFF}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BytePatternTest, RefusesWhatIsNoHexadecimalWithAClearReason)
{
    const struct {
        const char* text;
        const char* part;
    } cases[] = {
        {"50 4G", "16 進数でない文字「G」"},
        {"ABC", "桁数が奇数"},
        {"   ", "ヘッダーを入力してください"},
        {"", "ヘッダーを入力してください"},
        {"0x50", "16 進数でない文字「x」"},
    };
    for (const auto& c : cases) {
        BytePattern pattern;
        const std::string reason = pattern.parseHex(c.text, "ヘッダー");
        EXPECT_NE(reason.find(c.part), std::string::npos) << "「" << c.text << "」: " << reason;
        EXPECT_TRUE(pattern.empty());
    }
}

TEST(BytePatternTest, FindsTheFirstWholeMatch)
{
    BytePattern pattern;
    ASSERT_EQ(pattern.parseHex("45 ?? 44", "フッター"), "");
    const std::string data = "xxEND-EXDyyEN";
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    EXPECT_EQ(pattern.find(bytes, data.size(), 0), 2u);
    EXPECT_EQ(pattern.find(bytes, data.size(), 3), 6u);
    EXPECT_EQ(pattern.find(bytes, data.size(), 7), std::string::npos) << "a match cut by the end is none";
}

TEST(BytePatternTest, TextMayIgnoreTheCaseOfLettersOnly)
{
    BytePattern pattern;
    ASSERT_EQ(pattern.parseText("Ab1", "ヘッダー"), "");
    pattern.ignoreLetterCase();
    for (const char* text : {"Ab1", "aB1", "AB1", "ab1"}) {
        EXPECT_TRUE(pattern.matchesAt(reinterpret_cast<const unsigned char*>(text))) << text;
    }
    for (const char* text : {"Ab!", "Ac1", "\x01\x02" "1"}) {
        EXPECT_FALSE(pattern.matchesAt(reinterpret_cast<const unsigned char*>(text))) << text;
    }
}

TEST(BytePatternTest, AllOpenOnlyWhenNoBitCounts)
{
    BytePattern pattern;
    ASSERT_EQ(pattern.parseHex("?? ? ??", "ヘッダー"), "");
    EXPECT_TRUE(pattern.allOpen());
    ASSERT_EQ(pattern.parseHex("?? ?1", "ヘッダー"), "");
    EXPECT_FALSE(pattern.allOpen());
}

}  // namespace

#include "platform/classlib/TRegexp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Positions and lengths in bytes of the UTF-8 text.
TEST(RegexpTest, FindsTheFirstMatchAndItsLength)
{
    const struct {
        const char* pattern;
        const char* text;
        std::size_t start;
        std::size_t position;
        std::size_t length;
    } cases[] = {
        {"\\.jpg$", "/home/u/a.jpg", 0, 9, 4},
        {"b+", "aabbbcbb", 0, 2, 3},
        {"b+", "aabbbcbb", 5, 6, 2},
        {"x*", "abc", 0, 0, 0},
        {"画像", "/tmp/画像/a", 0, 5, 6},
        {"a", "/tmp/画像/a", 0, 12, 1},
        {"a", "/tmp/画像/a", 13, std::string::npos, 0},
        {"像", "/tmp/画像/a", 8, 8, 3},
        {"a", "abc", 4, std::string::npos, 0},
        {"^/tmp", "/tmp/x", 0, 0, 4},
    };
    for (const auto& c : cases) {
        TRegexp expression(c.pattern);
        ASSERT_EQ(TRegexp::OK, expression.status()) << c.pattern;
        std::size_t length = 99;
        EXPECT_EQ(c.position, expression.find(c.text, &length, c.start)) << c.pattern << " in " << c.text;
        EXPECT_EQ(c.length, length) << c.pattern << " in " << c.text;
    }
}

TEST(RegexpTest, AnIllegalPatternMatchesNothingAndCopiesKeepThePattern)
{
    TRegexp illegal("(");
    EXPECT_EQ(TRegexp::ILLEGAL, illegal.status());
    EXPECT_EQ(std::string::npos, illegal.find("(", nullptr));
    TRegexp copy("a+");
    TRegexp assigned(illegal);
    assigned = copy;
    std::size_t length = 0;
    EXPECT_EQ(1u, assigned.find("baa", &length));
    EXPECT_EQ(2u, length);
}

// Paths are bytes: a name that is not valid UTF-8 must not shift the positions reported after it.
TEST(RegexpTest, PositionsStayInBytesAfterInvalidUtf8)
{
    const std::string text = std::string("/tmp/\xff\xfe/a.png");
    TRegexp expression("\\.png");
    std::size_t length = 0;
    EXPECT_EQ(text.find(".png"), expression.find(text, &length));
    EXPECT_EQ(4u, length);
}

}  // namespace

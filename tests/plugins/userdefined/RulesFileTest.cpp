// Rules files of the command-line carvers, read line by line into rules.

#include "plugins/userdefined/Rulesfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(RulesFileTest, ReadsTheFieldsOfALine)
{
    const struct {
        const char* line;
        UserRule rule;
    } cases[] = {
        {"gif\ty\t5000000\t\\x47\\x49\\x46\\x38\\x39\\x61\t\\x00\\x3b",
         {"gif", "GIF89a", true, "00 3B", false, 5000000, false, true, true}},
        {"htm  n  50000  <html  </html>", {"htm", "<html", true, "</html>", true, 50000, false, true, false}},
        {"pdf y 5000000 %PDF %EOF\\x0d REVERSE", {"pdf", "%PDF", true, "25 45 4F 46 0D", false, 5000000, true, true, true}},
        {"doc y 100 AB?D XY NEXT", {"doc", "41 42 ?? 44", false, "XY", true, 100, false, false, true}},
        {"raw y 100 \\x50\\?\\sQ \\x01?", {"raw", "P? Q", true, "01 ??", false, 100, false, true, true}},
        {"fwd y 100 AB CD FORWARD", {"fwd", "AB", true, "CD", true, 100, false, true, true}},
        {"txt y 100 A\\sB", {"txt", "A B", true, "", false, 100, false, true, true}},
        {"spc y 100 \\sAB", {"spc", "20 41 42", false, "", false, 100, false, true, true}},
        {"oct y 100 \\101\\102", {"oct", "AB", true, "", false, 100, false, true, true}},
    };
    for (const auto& c : cases) {
        UserRule rule;
        std::string reason;
        ASSERT_EQ(RulesFile::parseLine(c.line, rule, reason), RulesFile::ruleLine) << c.line << ": " << reason;
        EXPECT_EQ(rule.kind, c.rule.kind) << c.line;
        EXPECT_EQ(rule.header, c.rule.header) << c.line;
        EXPECT_EQ(rule.headerIsText, c.rule.headerIsText) << c.line;
        EXPECT_EQ(rule.footer, c.rule.footer) << c.line;
        EXPECT_EQ(rule.footerIsText, c.rule.footerIsText) << c.line;
        EXPECT_EQ(rule.largestSize, c.rule.largestSize) << c.line;
        EXPECT_EQ(rule.endsAtLastFooter, c.rule.endsAtLastFooter) << c.line;
        EXPECT_EQ(rule.footerIncluded, c.rule.footerIncluded) << c.line;
        EXPECT_EQ(rule.caseSensitive, c.rule.caseSensitive) << c.line;
    }
}

TEST(RulesFileTest, RefusesBadLinesWithTheirReason)
{
    const struct {
        const char* line;
        const char* part;
    } cases[] = {
        {"gif y 5000000", "項目が足りません"},
        {"gif x 5000000 GIF8", "y か n"},
        {"gif y 0 GIF8", "0 は指定できません"},
        {"gif y lots GIF8", "数値として読めません"},
        {"g/f y 100 GIF8", "ファイル名に使えません"},
        {"NONE y 100 GIF8", "NONE"},
        {"gif y 100 \\x4", "2 桁の 16 進数"},
        {"gif y 100 GIF8 \\", "「\\」で終わって"},
        {"gif y 100 ???? END", "すべて ?"},
        {"gif y 100 GIF8 END SIDEWAYS", "SIDEWAYS"},
        {"gif y 100 GIF8 END ASCII", "ASCII"},
        {"gif y 100 GIF8 REVERSE", "フッターがない"},
        {"gif y 100 GIF8 END NEXT more", "項目が多すぎます"},
        {"gif y 3 GIF8", "ヘッダー（4 バイト）より小さい"},
    };
    for (const auto& c : cases) {
        UserRule rule;
        std::string reason;
        EXPECT_EQ(RulesFile::parseLine(c.line, rule, reason), RulesFile::refusedLine) << c.line;
        EXPECT_NE(reason.find(c.part), std::string::npos) << c.line << ": " << reason;
    }
}

TEST(RulesFileTest, AWholeFileGivesItsRulesAndTheNumbersOfTheLinesItRefused)
{
    const std::string content = "\xEF\xBB\xBF# a comment\r\n"
                                "\r\n"
                                "jpg\ty\t200000000\t\\xff\\xd8\\xff\t\\xff\\xd9\r\n"
                                "   # indented comment\n"
                                "bad y 0 XX\n"
                                "zip y 1000 PK\\x03\\x04\n"
                                "short\n";
    std::vector<UserRule> rules;
    std::vector<RulesFile::Problem> problems;
    RulesFile::parse(content, rules, problems);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].kind, "jpg");
    EXPECT_EQ(rules[0].header, "FF D8 FF");
    EXPECT_EQ(rules[1].kind, "zip");
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].line, 5u);
    EXPECT_EQ(problems[0].text, "bad y 0 XX");
    EXPECT_EQ(problems[1].line, 7u);
}

// The rules file that comes with foremost (installed by the setup) has its rules commented out;
// with the comment signs taken away, every one of them is taken but those that ask for ASCII data.
TEST(RulesFileTest, TakesTheRulesOfForemostsOwnFile)
{
    std::ifstream in("/etc/foremost.conf");
    if (!in) {
        GTEST_SKIP() << "foremost is not installed";
    }
    std::stringstream content;
    content << in.rdbuf();
    const std::string uncommented =
        std::regex_replace(content.str(), std::regex("^#[ \t]*([a-z]+[ \t]+[yn][ \t])", std::regex::multiline), "$1");
    std::vector<UserRule> rules;
    std::vector<RulesFile::Problem> problems;
    RulesFile::parse(uncommented, rules, problems);
    EXPECT_GE(rules.size(), 40u);
    for (const RulesFile::Problem& problem : problems) {
        EXPECT_NE(problem.reason.find("ASCII"), std::string::npos) << problem.line << ": " << problem.text;
    }
    bool jpeg = false;
    for (const UserRule& rule : rules) {
        jpeg = jpeg || (rule.kind == "jpg" && rule.header == "FF D8" && rule.footer == "FF D9");
    }
    EXPECT_TRUE(jpeg) << "its JPEG rule, header and footer in hexadecimal";
}

}  // namespace

// The rules through config.xml: written through the settings' plug-in face, saved, loaded by a
// new settings model and read back the same, whatever XML must escape on the way.

#include "engine/Configmodel.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "plugins/userdefined/Userrulestore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const pluginId = "glintfetch.userdefined";

// A rule of the given fields, the others as a new rule has them.
UserRule ruleOf(const std::string& kind, const std::string& header, bool headerIsText, const std::string& footer = "",
                bool footerIsText = false, std::uint64_t largestSize = 100)
{
    UserRule rule;
    rule.kind = kind;
    rule.header = header;
    rule.headerIsText = headerIsText;
    rule.footer = footer;
    rule.footerIsText = footerIsText;
    rule.largestSize = largestSize;
    return rule;
}

std::string settingsPath()
{
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* executable = factory->createResource();
    executable->setPath(factory->createProcess()->getModuleFileName());
    return executable->getParent() + "/config.xml";
}

UserRuleStore::Reader readerOf(IExtractConfig& config)
{
    return [&config](const std::string& key) {
        std::string buffer(static_cast<std::size_t>(config.getPropertyLength(key.c_str(), pluginId)), '\0');
        config.getProperty(key.c_str(), &buffer[0], pluginId);
        return std::string(buffer.c_str());
    };
}

UserRuleStore::Writer writerOf(IExtractConfig& config)
{
    return [&config](const std::string& key, const std::string& value) {
        config.setProperty(key.c_str(), value.c_str(), pluginId);
    };
}

class UserRuleStoreTest : public ::testing::Test {
protected:
    void SetUp() override { std::remove(path.c_str()); }
    void TearDown() override { std::remove(path.c_str()); }

    std::string savedFile() const
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    // Saves rules into a fresh config.xml and returns what a new model reads from it.
    std::vector<UserRule> roundTrip(const std::vector<UserRule>& rules, std::vector<std::string>& problems)
    {
        {
            ConfigModel model;
            model.buildDefaultDocument();
            UserRuleStore::save(writerOf(model), rules);
            model.save();
        }
        ConfigModel loaded;
        loaded.load();
        return UserRuleStore::load(readerOf(loaded), problems);
    }

    const std::string path = settingsPath();
};

TEST_F(UserRuleStoreTest, RulesComeBackFromConfigXmlAsTheyWere)
{
    const std::vector<UserRule> rules = {
        {"html", "<html lang=\"ja\" class='x'>&amp;", true, "</html>\r\n&", true, 1000000, true, false, false},
        {"memo", "日本語のメモ「見出し」", true, "", false, 42, false, true, true},
        {"zip", "50 4B ?? 04", false, "50 4B 05 06", false, 999999999999999ULL, false, true, true},
        {"tab", "\tA\\B ", true, "  ", true, 10, false, true, true},
        {"ctl", "\x01\x1b[0m\x7f", true, "\\x41", true, 10, false, true, true},
    };
    std::vector<std::string> problems;
    const std::vector<UserRule> loaded = roundTrip(rules, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(loaded.size(), rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        EXPECT_EQ(loaded[i], rules[i]) << "rule " << i + 1 << ": " << loaded[i].header;
    }
    const std::string file = savedFile();
    EXPECT_NE(file.find("&lt;html"), std::string::npos) << "XML escapes the text rather than taking it as markup";
    EXPECT_NE(file.find("&amp;amp;"), std::string::npos);
    EXPECT_NE(file.find("日本語のメモ"), std::string::npos) << "non-ASCII text is kept as it is";
}

TEST_F(UserRuleStoreTest, ASaveReplacesEveryRuleStoredBefore)
{
    std::vector<std::string> problems;
    {
        ConfigModel model;
        model.buildDefaultDocument();
        UserRuleStore::save(writerOf(model),
                            {ruleOf("one", "AAAA", true), ruleOf("two", "BBBB", true), ruleOf("three", "CCCC", true)});
        UserRuleStore::save(writerOf(model), {ruleOf("two", "BBBB", true)});
        model.save();
    }
    ConfigModel loaded;
    loaded.load();
    const std::vector<UserRule> rules = UserRuleStore::load(readerOf(loaded), problems);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].kind, "two");
    EXPECT_EQ(savedFile().find("CCCC"), std::string::npos) << "the third rule is gone";
}

TEST_F(UserRuleStoreTest, AHandEditedLineThatCannotBeUsedIsNamedAndLeftOut)
{
    std::vector<std::string> problems;
    const std::vector<UserRule> rules = UserRuleStore::parse(
        "ok\ttext\tAAAA\thex\t\t100\tfirst\twith\tcase\n"
        "\n"
        "size\ttext\tAAAA\thex\t\ta lot\tfirst\twith\tcase\n"
        "short\ttext\tAAAA\n"
        "hex\thex\tZZ\thex\t\t100\tfirst\twith\tcase\n"
        "word\ttext\tAAAA\thex\t\t100\tmiddle\twith\tcase\n"
        "escape\ttext\tA\\q\thex\t\t100\tfirst\twith\tcase\r\n",
        problems);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].kind, "ok");
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_NE(problems[0].find("規則 2（size）：最大サイズ「a lot」は数値として読めません"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("項目が 9 個ではありません"), std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find("16 進数でない文字"), std::string::npos) << problems[2];
    EXPECT_NE(problems[3].find("first/last"), std::string::npos) << problems[3];
    EXPECT_NE(problems[4].find("「\\」の後"), std::string::npos) << problems[4];
}

}  // namespace

// The user-defined plug-in as the program meets it: rules stored in its properties, detect and
// getKind at each position as the run asks them, and the finds its extract writes.

#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Temporaryfolder.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const pluginId = "glintfetch.userdefined";

// A rule as the settings file holds it.
struct StoredRule {
    StoredRule(std::string kind, std::string header, bool headerIsText = true, std::string footer = "",
               bool footerIsText = true, std::uint64_t largestSize = 100)
        : kind(std::move(kind)), header(std::move(header)), headerIsText(headerIsText), footer(std::move(footer)),
          footerIsText(footerIsText), largestSize(largestSize)
    {
    }

    std::string kind;
    std::string header;
    bool headerIsText = true;
    std::string footer;
    bool footerIsText = true;
    std::uint64_t largestSize = 100;
    bool lastFooter = false;
    bool footerIncluded = true;
    bool caseSensitive = true;
};

// The rules property: a line per rule, its fields separated by tabs.
void store(FakeExtractConfig& config, const std::vector<StoredRule>& rules)
{
    std::string text;
    for (const StoredRule& rule : rules) {
        text += rule.kind + "\t" + (rule.headerIsText ? "text" : "hex") + "\t" + rule.header + "\t" +
                (rule.footerIsText ? "text" : "hex") + "\t" + rule.footer + "\t" + std::to_string(rule.largestSize) +
                "\t" + (rule.lastFooter ? "last" : "first") + "\t" + (rule.footerIncluded ? "with" : "without") +
                "\t" + (rule.caseSensitive ? "case" : "nocase") + "\n";
    }
    config.setProperty("rules", text.c_str(), pluginId);
}

// Bytes that no header or footer of these tests (ASCII letters, digits and "!") can meet.
Bytes filler(std::size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(length);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(0x80 + random() % 0x40);
    }
    return bytes;
}

Bytes text(const std::string& characters)
{
    return Bytes(characters.begin(), characters.end());
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class UserDefinedTest : public ::testing::Test {
protected:
    void use(const std::vector<StoredRule>& rules)
    {
        store(config, rules);
        plugin->setConfig(&config);
    }

    // detect over the window at offset as the run hands it (zeros past the input's end).
    bool detectAt(const Bytes& input, std::size_t offset)
    {
        Bytes window(plugin->getWindowSize(), 0);
        for (std::size_t i = 0; i < window.size() && offset + i < input.size(); ++i) {
            window[i] = input[offset + i];
        }
        return plugin->detect(window.data());
    }

    // What extract wrote at offset; empty when it found nothing (and then no file is left).
    Bytes extractAt(const Bytes& input, std::size_t offset)
    {
        const std::string inputPath = folder.write("input.bin", input);
        const std::string outputPath = folder.file("found.bin");
        std::remove(outputPath.c_str());
        const unsigned result = plugin->extract(inputPath.c_str(), 0, static_cast<unsigned>(offset), outputPath.c_str());
        if (result == 0) {
            EXPECT_FALSE(std::filesystem::exists(outputPath)) << "a refused candidate leaves no file";
            return Bytes();
        }
        Bytes found = TemporaryFolder::read(outputPath);
        EXPECT_EQ(result, found.size());
        return found;
    }

    // Every find of a whole scan, as the run makes them: kind and bytes, position by position.
    std::vector<std::pair<std::string, Bytes>> scan(const Bytes& input)
    {
        std::vector<std::pair<std::string, Bytes>> finds;
        for (std::size_t offset = 0; offset < input.size(); ++offset) {
            if (!detectAt(input, offset)) {
                continue;
            }
            const std::string kind = plugin->getKind();
            Bytes found = extractAt(input, offset);
            if (!found.empty()) {
                finds.emplace_back(kind, found);
            }
        }
        return finds;
    }

    LoadedPlugin plugin{"userdefined"};
    FakeExtractConfig config;
    TemporaryFolder folder;
};

struct CarveCase {
    const char* name;
    StoredRule rule;
    Bytes input;
    std::size_t offset;
    // The find as a slice of the input; length 0: nothing.
    std::size_t findLength;
};

const Bytes body20 = filler(20, 1);
const Bytes body5000 = filler(5000, 2);

std::vector<CarveCase> carveCases()
{
    const Bytes lead = filler(37, 3);
    const Bytes tail = filler(500, 4);
    StoredRule noFooter{"raw", "GFH1"};
    StoredRule first{"doc", "GFH1", true, "END!"};
    StoredRule last = first;
    last.lastFooter = true;
    StoredRule before = first;
    before.footerIncluded = false;
    StoredRule lastBefore = last;
    lastBefore.footerIncluded = false;
    StoredRule anyCase = first;
    anyCase.header = "gfh1";
    anyCase.footer = "end!";
    anyCase.caseSensitive = false;
    StoredRule hex{"hex", "47 ?? 48 31", false, "45 4E 44 21", false};
    StoredRule large = first;
    large.largestSize = 20000;
    StoredRule largeLast = large;
    largeLast.lastFooter = true;
    StoredRule tight = first;
    tight.largestSize = 4 + 20 + 3;

    const Bytes twoFooters = joined({lead, text("GFH1"), body20, text("END!"), body20, text("END!"), tail});
    return {
        {"NoFooterTakesTheLargestSize", noFooter, joined({lead, text("GFH1"), tail}), 37, 100},
        {"NoFooterIsCutAtTheEndOfTheInput", noFooter, joined({lead, text("GFH1"), body20}), 37, 24},
        {"FirstFooterWithIt", first, twoFooters, 37, 28},
        {"LastFooterWithIt", last, twoFooters, 37, 52},
        {"FirstFooterWithoutIt", before, twoFooters, 37, 24},
        {"LastFooterWithoutIt", lastBefore, twoFooters, 37, 48},
        {"LastFooterWithinTheLargestSizeOnly", [&] { StoredRule r = last; r.largestSize = 40; return r; }(),
         twoFooters, 37, 28},
        {"FooterCutByTheLargestSizeIsNone", tight, twoFooters, 37, 0},
        {"NoFooterNoFind", first, joined({lead, text("GFH1"), tail}), 37, 0},
        {"LettersOfEitherCase", anyCase, twoFooters, 37, 28},
        {"CaseCounts", [&] { StoredRule r = anyCase; r.caseSensitive = true; return r; }(), twoFooters, 37, 0},
        {"HexWithWildcard", hex, joined({lead, text("GZH1"), body20, text("END!"), tail}), 37, 28},
        {"FooterAcrossSearchBlocks", large,
         joined({text("GFH1"), filler(4094, 5), text("END!"), tail}), 0, 4102},
        {"LastFooterFarInTheSearch", largeLast,
         joined({text("GFH1"), body20, text("END!"), body5000, body5000, text("END!"), tail}), 0, 10032},
        {"HeaderMustBeAtTheOffset", first, twoFooters, 36, 0},
    };
}

class UserDefinedCarveTest : public UserDefinedTest, public ::testing::WithParamInterface<CarveCase> {
};

TEST_P(UserDefinedCarveTest, FindIsTheExpectedSlice)
{
    const CarveCase& c = GetParam();
    use({c.rule});
    const Bytes found = extractAt(c.input, c.offset);
    ASSERT_EQ(found.size(), c.findLength);
    EXPECT_TRUE(std::equal(found.begin(), found.end(), c.input.begin() + static_cast<long>(c.offset)))
        << "byte-identical to the input";
}

INSTANTIATE_TEST_SUITE_P(Rules, UserDefinedCarveTest, ::testing::ValuesIn(carveCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserDefinedTest, EachFindIsNamedAfterTheRuleThatMatched)
{
    use({{"alpha", "AAH1", true, "END!"}, {"beta", "BBH2"}});
    const Bytes input = joined({filler(11, 6), text("BBH2"), filler(30, 7), text("AAH1"), body20, text("END!"),
                                filler(200, 8)});
    const auto finds = scan(input);
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].first, "beta");
    EXPECT_EQ(finds[0].second.size(), 100u);
    EXPECT_EQ(finds[1].first, "alpha");
    EXPECT_EQ(finds[1].second, joined({text("AAH1"), body20, text("END!")}));
}

TEST_F(UserDefinedTest, WhereTwoRulesMatchTheFirstInTheListWins)
{
    const StoredRule shorter{"short", "GFH", true, "END!"};
    const StoredRule longer{"long", "GFH1"};
    const Bytes input = joined({filler(5, 9), text("GFH1"), body20, text("END!"), filler(120, 10)});

    use({shorter, longer});
    ASSERT_TRUE(detectAt(input, 5));
    EXPECT_STREQ(plugin->getKind(), "short");
    EXPECT_EQ(extractAt(input, 5).size(), 28u) << "the find follows the rule that named it";

    use({longer, shorter});
    ASSERT_TRUE(detectAt(input, 5));
    EXPECT_STREQ(plugin->getKind(), "long");
    EXPECT_EQ(extractAt(input, 5).size(), 100u);
}

TEST_F(UserDefinedTest, HeaderAtTheVeryEndOfTheInput)
{
    use({{"raw", "GFH1"}, {"doc", "GFX1", true, "END!"}});
    const Bytes endsWithRaw = joined({filler(64, 11), text("GFH1")});
    ASSERT_TRUE(detectAt(endsWithRaw, 64));
    EXPECT_EQ(extractAt(endsWithRaw, 64), text("GFH1")) << "the largest size, cut at the end: the header alone";

    const Bytes endsWithDoc = joined({filler(64, 12), text("GFX1")});
    ASSERT_TRUE(detectAt(endsWithDoc, 64));
    EXPECT_TRUE(extractAt(endsWithDoc, 64).empty()) << "no room for the footer";

    const Bytes cutHeader = joined({filler(64, 13), text("GFH")});
    EXPECT_FALSE(detectAt(cutHeader, 64));
    EXPECT_TRUE(extractAt(cutHeader, 64).empty());
}

TEST_F(UserDefinedTest, HeaderEndingInZerosIsCheckedOnTheFileNotOnTheWindow)
{
    // Past the end of the input the window holds zeros, which such a header matches.
    use({{"zero", "47 46 00 00", false}});
    const Bytes input = joined({filler(30, 14), text("GF")});
    ASSERT_TRUE(detectAt(input, 30));
    EXPECT_TRUE(extractAt(input, 30).empty());
}

TEST_F(UserDefinedTest, SettingsSizeWindowApplies)
{
    use({{"raw", "GFH1"}, {"doc", "GFX1", true, "END!", true, 1000}});
    const Bytes raw = joined({text("GFH1"), filler(300, 15)});
    const Bytes doc = joined({text("GFX1"), filler(70, 16), text("END!"), filler(100, 17)});

    config.maximumSize = 60;
    EXPECT_EQ(extractAt(raw, 0).size(), 60u) << "a largest size past the upper bound ends at the bound";
    EXPECT_TRUE(extractAt(doc, 0).empty()) << "a footer past the upper bound is not reached";

    config.maximumSize = -1;
    config.minimumSize = 101;
    EXPECT_TRUE(extractAt(raw, 0).empty()) << "below the lower bound";
    config.minimumSize = 78;
    EXPECT_EQ(extractAt(doc, 0).size(), 78u);
}

TEST_F(UserDefinedTest, WindowCoversTheLongestHeaderAndEveryHeaderIsASignature)
{
    use({{"one", "4F 4E ?? 45", false}, {"two", "TWO-HEADER-0123456789"}, {"three", "5?", false}});
    EXPECT_EQ(plugin->getWindowSize(), 21u);

    void* handle = dlopen(LoadedPlugin::pathOf("userdefined").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto extension = reinterpret_cast<GetExtractPluginExtensionFunction>(dlsym(handle, "_getExtractPluginExtension"));
    ASSERT_NE(extension, nullptr);
    const ExtractSignature* signatures = nullptr;
    ASSERT_EQ(extension()->getSignatures(plugin.get(), &signatures), 3);
    EXPECT_EQ(signatures[0].offset, 0u);
    EXPECT_EQ(signatures[0].length, 4u);
    ASSERT_NE(signatures[0].mask, nullptr);
    EXPECT_EQ(signatures[0].mask[2], 0x00) << "the wildcard counts no bit";
    EXPECT_EQ(signatures[0].mask[3], 0xFF);
    EXPECT_EQ(signatures[1].length, 21u);
    EXPECT_EQ(signatures[2].mask[0], 0xF0) << "a wildcard digit leaves its four bits open";
    dlclose(handle);
}

TEST_F(UserDefinedTest, WithoutRulesItFindsNothing)
{
    use({});
    EXPECT_EQ(plugin->getWindowSize(), 1u);
    const unsigned char zero[1] = {0};
    EXPECT_FALSE(plugin->detect(zero));
    EXPECT_STREQ(plugin->getKind(), "bin");
}

TEST_F(UserDefinedTest, StoredRulesThatCannotBeUsedAreLeftOut)
{
    use({{"bad/kind", "AAAA"}, {"ok", "BBBB"}, {"wild", "?? ??", false}, {"zero", "CCCC", true, "", true, 0},
         {"badhex", "4G", false}});
    const Bytes input = joined({text("AAAA"), text("BBBB"), text("CCCC"), filler(200, 18)});
    const auto finds = scan(input);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].first, "ok");
}

TEST_F(UserDefinedTest, PropertyDialogIsModalOverTheSettingsWindowAndOkKeepsTheRules)
{
    use({{"doc", "GFH1", true, "END!"}});
    QWidget parent;
    parent.show();
    bool driven = false;
    std::function<void(int)> poll = [&](int attemptsLeft) {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog != nullptr && dialog != &parent) {
            driven = true;
            EXPECT_EQ(dialog->parentWidget(), &parent) << "it stands over the window it was given";
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("OK")) {
                    button->click();
                }
            }
        } else if (attemptsLeft > 0) {
            QTimer::singleShot(0, [&poll, attemptsLeft] { poll(attemptsLeft - 1); });
        }
    };
    QTimer::singleShot(0, [&poll] { poll(1000); });
    plugin->showProperty(&parent);
    ASSERT_TRUE(driven);
    EXPECT_EQ(config.property(pluginId, "rules"), "doc\ttext\tGFH1\ttext\tEND!\t100\tfirst\twith\tcase\n");
}

}  // namespace

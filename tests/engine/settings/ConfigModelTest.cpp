#include "engine/Configmodel.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "platform/classlib/core/Numconv.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string settingsPath() {
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* executable = factory->createResource();
    executable->setPath(factory->createProcess()->getModuleFileName());
    return executable->getParent() + "/config.xml";
}

std::string settingsXml(const std::string& perFile, const std::string& perData,
                        const std::string& limitFrom, const std::string& limitTo,
                        const std::string& pluginOptions = "<plugin_options/>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glintfetch><file_options>"
           "<create_folder_method><per_file>" + perFile + "</per_file><per_data>" + perData +
           "</per_data></create_folder_method><size_limit><limit_from>" + limitFrom +
           "</limit_from><limit_to>" + limitTo + "</limit_to></size_limit></file_options>" +
           pluginOptions + "</glintfetch>\n";
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// config.xml beside the test program, written and read here as the user would edit it.
class ConfigModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator(".");
        std::remove(path.c_str());
    }
    void TearDown() override {
        std::remove(path.c_str());
        SetDecimalSeparator("");
    }

    void writeFile(const std::string& content) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string readFile() {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    bool fileExists() { return std::ifstream(path).good(); }

    // The saved text of the first element named tag.
    std::string savedText(ConfigModel& model, const std::string& tag) {
        model.save();
        const std::string content = readFile();
        const std::string open = "<" + tag + ">";
        const std::size_t start = content.find(open);
        if (start == std::string::npos) return "<" + tag + "/>";
        const std::size_t end = content.find("</" + tag + ">", start);
        return content.substr(start + open.size(), end - start - open.size());
    }

    std::string property(ConfigModel& model, const char* key, const char* pluginId) {
        const int length = model.getPropertyLength(key, pluginId);
        std::vector<char> buffer(static_cast<std::size_t>(length));
        model.getProperty(key, buffer.data(), pluginId);
        return std::string(buffer.data());
    }

    const std::string path = settingsPath();
};

template <typename Operation>
void expectXMLException(Operation operation, const std::string& message) {
    try {
        operation();
        ADD_FAILURE() << "no XMLException";
    } catch (const XMLException& e) {
        EXPECT_EQ(e.getMessage(), message);
    }
}

const std::string tagMissing = "指定されたタグが見つかりません。";
const std::string noChild = "このノードは子ノードを持っていません。";

TEST_F(ConfigModelTest, BeforeAnyLoadTheSettingsAreMissingButPluginsGetSoundAnswers) {
    ConfigModel model;
    expectXMLException([&] { model.isCreateDirPerFile(); }, tagMissing);
    expectXMLException([&] { model.setCreateDirPerData(true); }, tagMissing);
    expectXMLException([&] { model.getLimitFrom(); }, tagMissing);
    expectXMLException([&] { model.getLimitToText(); }, tagMissing);
    expectXMLException([&] { model.setLimitToText("5"); }, tagMissing);

    EXPECT_EQ(model.getMaxExtractSize(), -1);
    EXPECT_EQ(model.getMinExtractSize(), 0);
    EXPECT_EQ(model.getPropertyLength("key", "p"), 1);
    EXPECT_EQ(property(model, "key", "p"), "");
    model.setProperty("key", "value", "p");
    EXPECT_EQ(property(model, "key", "p"), "");
    EXPECT_FALSE(fileExists());
}

TEST_F(ConfigModelTest, TheDefaultDocumentUnderEitherSeparator) {
    for (const char* separator : {".", ","}) {
        SCOPED_TRACE(separator);
        SetDecimalSeparator(separator);
        std::remove(path.c_str());
        {
            ConfigModel model;
            model.buildDefaultDocument();
            EXPECT_TRUE(model.isCreateDirPerFile());
            EXPECT_TRUE(model.isCreateDirPerData());
            EXPECT_EQ(model.getLimitFromText(), std::string("0") + separator + "0001");
            EXPECT_EQ(model.getLimitToText(), "500");
            EXPECT_EQ(model.getMinExtractSize(), 100);
            EXPECT_EQ(model.getMaxExtractSize(), 500000000);
            EXPECT_FALSE(fileExists());
            model.save();
        }
        const std::string saved = readFile();
        const char* order[] = {"<glintfetch>", "<file_options>", "<create_folder_method>",
                               "<per_file>true</per_file>", "<per_data>true</per_data>",
                               "<size_limit>", "<limit_from>", "<limit_to>500</limit_to>",
                               "<plugin_options/>"};
        std::size_t at = 0;
        for (const char* part : order) {
            const std::size_t found = saved.find(part, at);
            EXPECT_NE(found, std::string::npos) << part << " in\n" << saved;
            if (found != std::string::npos) at = found;
        }
        EXPECT_NE(saved.find("encoding=\"UTF-8\""), std::string::npos);

        ConfigModel reloaded;
        reloaded.load();
        EXPECT_EQ(reloaded.getMinExtractSize(), 100);
        EXPECT_EQ(reloaded.getMaxExtractSize(), 500000000);
    }
}

TEST_F(ConfigModelTest, ASecondDefaultTreeIsAppendedAndTheFirstIsFound) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.buildDefaultDocument();
    model.setLimitToText("7");
    model.setCreateDirPerFile(false);
    EXPECT_EQ(model.getLimitToText(), "7");
    EXPECT_FALSE(model.isCreateDirPerFile());
    model.save();
    const std::string saved = readFile();
    EXPECT_EQ(occurrences(saved, "<limit_to>7</limit_to>"), 1u);
    EXPECT_EQ(occurrences(saved, "<limit_to>500</limit_to>"), 1u);
    EXPECT_LT(saved.find("<limit_to>7"), saved.find("<limit_to>500"));
    EXPECT_EQ(occurrences(saved, "<plugin_options/>"), 2u);
}

TEST_F(ConfigModelTest, FlagsAreTrueOnlyForTheExactTextTrue) {
    const struct {
        const char* text;
        bool value;
    } cases[] = {
        {"true", true},   {"True", false}, {" true", false}, {"true ", false},
        {"TRUE", false},  {"1", false},    {"false", false}, {"yes", false},
    };
    for (const auto& c : cases) {
        writeFile(settingsXml(c.text, c.text, "0.0001", "500"));
        ConfigModel model;
        model.load();
        EXPECT_EQ(model.isCreateDirPerFile(), c.value) << "\"" << c.text << "\"";
        EXPECT_EQ(model.isCreateDirPerData(), c.value) << "\"" << c.text << "\"";
    }

    // A flag without text is no flag the file holds: a load gives it the default.
    writeFile(settingsXml("", "", "0.0001", "500"));
    ConfigModel model;
    model.load();
    EXPECT_TRUE(model.isCreateDirPerFile());
    EXPECT_TRUE(model.isCreateDirPerData());
}

TEST_F(ConfigModelTest, FlagSettersStoreTrueOrFalse) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setCreateDirPerFile(false);
    model.setCreateDirPerData(true);
    EXPECT_EQ(savedText(model, "per_file"), "false");
    EXPECT_EQ(savedText(model, "per_data"), "true");
    EXPECT_FALSE(model.isCreateDirPerFile());
    model.setCreateDirPerFile(true);
    EXPECT_TRUE(model.isCreateDirPerFile());
}

TEST_F(ConfigModelTest, SizeTextsGiveTheirByteCountsUnderBothSeparators) {
    const struct {
        const char* separator;
        const char* from;
        const char* to;
        int minBytes;
        int maxBytes;
        const char* fromText;
        const char* toText;
    } cases[] = {
        {".", "0.0001", "500", 100, 500000000, "0.0001", "500"},
        {",", "0,0001", "500", 100, 500000000, "0,0001", "500"},
        // Written under the other separator: no number, so no bound and an empty field.
        {".", "0,0001", "0.001", 0, 999, "", "0.001"},
        {",", "0.0001", "1,5", 0, 1500000, "", "1,5"},
        {".", "0", "0", 0, -1, "0", "0"},
        {".", "-1", "-1", 0, -1, "", ""},
        {".", "-0.5", "-7", 0, -1, "", ""},
        {".", "abc", "  ", 0, -1, "", ""},
        {".", " 2 ", "1e3", 2000000, 1000000000, "2", "1000"},
        {".", "1.50", "2147.483647", 1500000, 2147483646, "1.5", "2147.483647"},
        // Past the largest int: clamped, never wrapped to the low 32 bits (1 and 0 here).
        {".", "4294.967297", "4294.967296", INT_MAX, INT_MAX, "4294.967297", "4294.967296"},
        {",", "2147,483648", "999999", INT_MAX, INT_MAX, "2147,483648", "999999"},
        {".", "1e300", "1e300", INT_MAX, INT_MAX, "1E300", "1E300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " / " + c.to + " under " + c.separator);
        SetDecimalSeparator(c.separator);
        writeFile(settingsXml("true", "true", c.from, c.to));
        ConfigModel model;
        model.load();
        EXPECT_EQ(model.getMinExtractSize(), c.minBytes);
        EXPECT_EQ(model.getMaxExtractSize(), c.maxBytes);
        EXPECT_EQ(model.getLimitFromText(), c.fromText);
        EXPECT_EQ(model.getLimitToText(), c.toText);
    }
}

// What a loaded file lacks is filled in from the defaults, where the default document has it;
// everything the file holds stays, and nothing is written until a save.
TEST_F(ConfigModelTest, ALoadedFileGetsTheDefaultsForWhatItLacks) {
    const std::string flags = "<create_folder_method><per_file>false</per_file><per_data>false</per_data>"
                              "</create_folder_method>";
    const std::string limits = "<size_limit><limit_from>1</limit_from><limit_to>7</limit_to></size_limit>";
    const auto file = [](const std::string& fileOptions, const std::string& rest = "<plugin_options/>") {
        return "<?xml version=\"1.0\"?><glintfetch><mine>kept</mine><file_options>" + fileOptions +
               "</file_options>" + rest + "</glintfetch>";
    };
    const struct {
        const char* what;
        std::string contents;
        bool perFile;
        bool perData;
        const char* from;
        const char* to;
    } cases[] = {
        {"nothing missing", file(flags + limits), false, false, "1", "7"},
        {"no per_file", file("<create_folder_method><per_data>false</per_data></create_folder_method>" + limits),
         true, false, "1", "7"},
        {"no per_data", file("<create_folder_method><per_file>false</per_file></create_folder_method>" + limits),
         false, true, "1", "7"},
        {"no create_folder_method", file(limits), true, true, "1", "7"},
        {"no limit_from", file(flags + "<size_limit><limit_to>7</limit_to></size_limit>"), false, false, "0.0001", "7"},
        {"no limit_to", file(flags + "<size_limit><limit_from>1</limit_from></size_limit>"), false, false, "1", "500"},
        {"no size_limit", file(flags), false, false, "0.0001", "500"},
        {"empty values", file("<create_folder_method><per_file/><per_data></per_data></create_folder_method>"
                              "<size_limit><limit_from/><limit_to></limit_to></size_limit>"),
         true, true, "0.0001", "500"},
        {"no plugin_options", file(flags + limits, ""), false, false, "1", "7"},
        {"no file_options", "<glintfetch><mine>kept</mine><plugin_options/></glintfetch>", true, true, "0.0001", "500"},
        {"another root", "<settings><mine>kept</mine><limit_to>7</limit_to></settings>", true, true, "0.0001", "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(c.contents);
        ConfigModel model;
        model.load();
        EXPECT_EQ(model.isCreateDirPerFile(), c.perFile);
        EXPECT_EQ(model.isCreateDirPerData(), c.perData);
        EXPECT_EQ(model.getLimitFromText(), c.from);
        EXPECT_EQ(model.getLimitToText(), c.to);
        // Properties have their place again.
        model.setProperty("key", "value", "p");
        EXPECT_EQ(property(model, "key", "p"), "value");
        EXPECT_EQ(readFile(), c.contents);

        model.save();
        const std::string saved = readFile();
        EXPECT_NE(saved.find("<mine>kept</mine>"), std::string::npos) << saved;
        for (const char* tag : {"<file_options", "<per_file", "<per_data", "<limit_from", "<limit_to", "<plugin_options"}) {
            EXPECT_LE(occurrences(saved, tag), 1u) << tag << " in\n" << saved;
        }
        ConfigModel reread;
        reread.load();
        EXPECT_EQ(reread.getLimitToText(), c.to);
        EXPECT_EQ(property(reread, "key", "p"), "value");
    }
}

// Sizes past the double range are no bound, as texts that are no number are: nothing could show
// them or store them again.
TEST_F(ConfigModelTest, SizesThatAreNoFiniteNumberAreNoBound) {
    for (const char* text : {"INF", "-INF", "NAN", "1e999", "1e99999"}) {
        SCOPED_TRACE(text);
        writeFile(settingsXml("true", "true", text, text));
        ConfigModel model;
        model.load();
        EXPECT_EQ(model.getLimitFromText(), "");
        EXPECT_EQ(model.getLimitToText(), "");
        EXPECT_EQ(model.getMinExtractSize(), 0);
        EXPECT_EQ(model.getMaxExtractSize(), -1);
    }
}

TEST_F(ConfigModelTest, SizeSettersStoreTheGeneralFormatOfWhatWasTyped) {
    const struct {
        const char* separator;
        const char* typed;
        const char* stored;  // nullptr: the previous text, "500", stays
    } cases[] = {
        {".", "", "-1"},       {".", "1.50", "1.5"},    {".", " 2 ", "2"},
        {".", "1e3", "1000"},  {".", "0", "0"},         {".", "0.00001", "1E-5"},
        {".", "abc", nullptr}, {".", "-5", nullptr},    {".", "1,5", nullptr},
        {",", "1,50", "1,5"},  {",", "1.5", nullptr},   {",", "", "-1"},
        // Past the double range: kept out, as "INF" would read back as no bound.
        {".", "1e999", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.typed + "\" under " + c.separator);
        SetDecimalSeparator(c.separator);
        ConfigModel model;
        model.buildDefaultDocument();
        model.setLimitToText(c.typed);
        model.setLimitFromText(c.typed);
        const std::string expected = c.stored != nullptr ? c.stored : "500";
        EXPECT_EQ(savedText(model, "limit_to"), expected);
        if (c.stored == nullptr) {
            EXPECT_EQ(savedText(model, "limit_from"), std::string("0") + c.separator + "0001");
        } else {
            EXPECT_EQ(savedText(model, "limit_from"), c.stored);
        }
    }

    ConfigModel model;
    model.buildDefaultDocument();
    model.setLimitToText("");
    EXPECT_EQ(model.getLimitToText(), "");
    EXPECT_EQ(model.getMaxExtractSize(), -1);
    model.setLimitToText("0");
    EXPECT_EQ(model.getLimitToText(), "0");
    EXPECT_EQ(model.getMaxExtractSize(), -1);
}

TEST_F(ConfigModelTest, NumberSettersStoreNegativeValuesToo) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setLimitTo(-2.5);
    model.setLimitFrom(0.0001);
    EXPECT_EQ(savedText(model, "limit_to"), "-2.5");
    EXPECT_EQ(savedText(model, "limit_from"), "0.0001");
    EXPECT_EQ(model.getLimitTo(), -2.5L);
    EXPECT_EQ(model.getLimitToText(), "");
}

TEST_F(ConfigModelTest, ElementsAreFoundByNameWhateverTheRootAndNesting) {
    writeFile(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings>\n  <plugin_options/>\n"
        "  <x><y><limit_to>7</limit_to></y></x>\n  <per_data>false</per_data>\n"
        "  <deep><deeper><per_file>true</per_file></deeper></deep>\n"
        "  <limit_from>1</limit_from>\n</settings>\n");
    ConfigModel model;
    model.load();
    EXPECT_TRUE(model.isCreateDirPerFile());
    EXPECT_FALSE(model.isCreateDirPerData());
    EXPECT_EQ(model.getLimitToText(), "7");
    EXPECT_EQ(model.getMinExtractSize(), 1000000);
    model.setLimitToText("8");
    model.save();
    const std::string saved = readFile();
    EXPECT_NE(saved.find("<settings>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<limit_to>8</limit_to>"), std::string::npos) << saved;
}

TEST_F(ConfigModelTest, AFailedLoadKeepsTheDocument) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setLimitToText("7");
    EXPECT_THROW(model.load(), IOException);
    EXPECT_EQ(model.getLimitToText(), "7");
}

TEST_F(ConfigModelTest, AnUnsetPropertyIsEmptyAndItsElementsAreCreatedOnce) {
    ConfigModel model;
    model.buildDefaultDocument();
    EXPECT_EQ(model.getPropertyLength("key", "p"), 1);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    model.getProperty("key", buffer, "p");
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
    model.getPropertyLength("other", "p");
    model.getPropertyLength("key", "q");
    model.save();
    const std::string saved = readFile();
    EXPECT_EQ(occurrences(saved, "id=\"p\""), 1u) << saved;
    EXPECT_EQ(occurrences(saved, "id=\"q\""), 1u) << saved;
    EXPECT_EQ(occurrences(saved, "<key"), 2u) << saved;
    EXPECT_EQ(occurrences(saved, "<other"), 1u) << saved;
    EXPECT_LT(saved.find("id=\"p\""), saved.find("id=\"q\""));
}

TEST_F(ConfigModelTest, ASetPropertyLivesInTheDocumentUntilTheNextLoad) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setProperty("key", "saved", "p");
    EXPECT_EQ(property(model, "key", "p"), "saved");
    EXPECT_EQ(property(model, "key", "other"), "");
    model.save();
    model.setProperty("key", "unsaved", "p");
    EXPECT_EQ(property(model, "key", "p"), "unsaved");
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "saved");
}

TEST_F(ConfigModelTest, APropertySetToTheEmptyTextComesBackEmptyAndTakesANewValue) {
    {
        ConfigModel model;
        model.buildDefaultDocument();
        model.setProperty("key", "", "p");
        model.save();
    }
    ConfigModel model;
    model.load();
    EXPECT_EQ(model.getPropertyLength("key", "p"), 1);
    EXPECT_EQ(property(model, "key", "p"), "");
    model.setProperty("key", "new", "p");
    EXPECT_EQ(property(model, "key", "p"), "new");
    model.save();
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "new");
}

TEST_F(ConfigModelTest, OfTwoPluginElementsWithOneIdOnlyTheFirstIsUsed) {
    writeFile(settingsXml("true", "true", "0.0001", "500",
                          "<plugin_options><plugin id=\"p\"><key>first</key></plugin>"
                          "<plugin id=\"p\"><key>second</key></plugin></plugin_options>"));
    ConfigModel model;
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "first");
    model.setProperty("key", "changed", "p");
    model.save();
    const std::string saved = readFile();
    EXPECT_NE(saved.find("<key>changed</key>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<key>second</key>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("first"), std::string::npos) << saved;
    EXPECT_LT(saved.find("changed"), saved.find("second"));
}

TEST_F(ConfigModelTest, APropertyNamedLimitToLeavesTheSizeWindowAlone) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setProperty("limit_to", "7", "p");
    EXPECT_EQ(property(model, "limit_to", "p"), "7");
    EXPECT_EQ(model.getLimitToText(), "500");
    EXPECT_EQ(model.getMaxExtractSize(), 500000000);
}

TEST_F(ConfigModelTest, TheSearchPassesOverWhitespaceCommentsAndChildrenWithoutId) {
    writeFile(settingsXml("true", "true", "0.0001", "500",
                          "\n<plugin_options>\n  <!-- plug-ins -->\n  <plugin><key>no id</key>"
                          "</plugin>\n  <other id=\"p\">\n    <key>found</key>\n  </other>\n"
                          "</plugin_options>\n"));
    ConfigModel model;
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "found");
    // "#text" and "#comment" are no element names: they must not reach the whitespace between
    // the elements.
    EXPECT_EQ(property(model, "#text", "p"), "");
    model.setProperty("#text", "x", "p");
    model.setProperty("#comment", "x", "p");
    model.save();
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "found");
}

TEST_F(ConfigModelTest, WithoutPluginOptionsPropertiesReadEmptyAndWritesAreDropped) {
    // Only a document that was never loaded lacks them: a load puts them back.
    ConfigModel model;
    EXPECT_EQ(model.getPropertyLength("key", "p"), 1);
    model.setProperty("key", "value", "p");
    EXPECT_EQ(property(model, "key", "p"), "");
    model.save();
    EXPECT_EQ(readFile().find("plugin"), std::string::npos);
}

TEST_F(ConfigModelTest, KeysThatAreNoElementNamesAreAnsweredWithoutThrowing) {
    ConfigModel model;
    model.buildDefaultDocument();
    for (const char* key : {"", "1abc", "a b", "<key>", "#text", "-x", "a\x01"}) {
        SCOPED_TRACE(std::string("\"") + key + "\"");
        EXPECT_EQ(model.getPropertyLength(key, "p"), 1);
        model.setProperty(key, "value", "p");
        EXPECT_EQ(property(model, key, "p"), "");
    }
    // Null texts from a careless plug-in.
    char buffer[2] = {'x', 'x'};
    EXPECT_EQ(model.getPropertyLength(nullptr, "p"), 1);
    EXPECT_EQ(model.getPropertyLength("key", nullptr), 1);
    model.getProperty(nullptr, buffer, "p");
    EXPECT_EQ(buffer[0], '\0');
    model.getProperty("key", nullptr, "p");
    model.setProperty(nullptr, "v", "p");
    model.setProperty("key", nullptr, "p");
    model.setProperty("key", "v", nullptr);

    // The document is still whole: valid keys work, and it saves and loads.
    model.setProperty("key", "value", "p");
    model.save();
    model.load();
    EXPECT_EQ(property(model, "key", "p"), "value");
}

TEST_F(ConfigModelTest, GetPropertyCopiesTheValueAndItsZeroIntoTheCallersBuffer) {
    const std::string values[] = {"", "v", "日本語のテキスト", "<&>\"' ", std::string(5000, 'z')};
    ConfigModel model;
    model.buildDefaultDocument();
    for (const std::string& value : values) {
        model.setProperty("key", value.c_str(), "p");
        const int length = model.getPropertyLength("key", "p");
        ASSERT_EQ(length, static_cast<int>(value.size()) + 1);
        std::vector<char> buffer(static_cast<std::size_t>(length) + 8, '\x7f');
        model.getProperty("key", buffer.data(), "p");
        EXPECT_EQ(std::memcmp(buffer.data(), value.c_str(), value.size() + 1), 0);
        for (std::size_t i = static_cast<std::size_t>(length); i < buffer.size(); ++i) {
            EXPECT_EQ(buffer[i], '\x7f') << "written past the length at " << i;
        }
    }
}

TEST_F(ConfigModelTest, TextsThatXmlCannotHoldAreDroppedSoThatSavesStillSucceed) {
    ConfigModel model;
    model.buildDefaultDocument();
    model.setProperty("key", "kept", "p");
    for (const char* value : {"a\x01z", "\x1f", "\xef\xbf\xbe", "bad\xff"}) {
        model.setProperty("key", value, "p");
        model.setProperty("key", "v", value);
        EXPECT_EQ(model.getPropertyLength("key", value), 1);
    }
    EXPECT_EQ(property(model, "key", "p"), "kept");
    ASSERT_NO_THROW(model.save());

    // Tabs and line breaks are text like any other.
    const char* lines = "line 1\r\n\tline 2\n";
    model.setProperty("key", lines, "p");
    model.save();
    model.load();
    EXPECT_EQ(property(model, "key", "p"), lines);
}

TEST_F(ConfigModelTest, MarkupInValuesAndIdentifiersReadsBackUnchanged) {
    const char* id = "id \"<&>'";
    const char* value = "a < b && c > \"d\" 'e' ]]>";
    {
        ConfigModel model;
        model.buildDefaultDocument();
        model.setProperty("key", value, id);
        model.save();
    }
    ConfigModel model;
    model.load();
    EXPECT_EQ(property(model, "key", id), value);
}

}  // namespace

namespace {

// The folder of the last run is kept in an element of its own, which files of before lack: they
// read as keeping none, and the first write adds it without touching the rest.
TEST_F(ConfigModelTest, TheOutputFolderIsKeptBesideTheSettingsAndMissingReadsAsNone) {
    writeFile("<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method><per_file>false</per_file>"
              "<per_data>true</per_data></create_folder_method></file_options><plugin_options/></glintfetch>");
    ConfigModel model;
    model.load();
    EXPECT_EQ(model.getOutputFolder(), "");
    model.setOutputFolder("/home/someone/取り出し");
    model.save();

    ConfigModel again;
    again.load();
    EXPECT_EQ(again.getOutputFolder(), "/home/someone/取り出し");
    EXPECT_FALSE(again.isCreateDirPerFile());
    EXPECT_TRUE(again.isCreateDirPerData());
    again.setOutputFolder("/tmp/other");
    EXPECT_EQ(again.getOutputFolder(), "/tmp/other");
    const std::string saved = savedText(again, "output_folder");
    EXPECT_EQ(saved, "/tmp/other");
    EXPECT_EQ(readFile().find("<output_folder>", readFile().find("<output_folder>") + 1), std::string::npos);
}

// The main window's size sits beside the output folder; a plug-in property named "width" is no
// window's width.
TEST_F(ConfigModelTest, TheMainWindowsSizeIsKeptAndMissingOrBrokenReadsAsNone) {
    writeFile("<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method><per_file>false</per_file>"
              "<per_data>true</per_data></create_folder_method></file_options><plugin_options><p><width>77</width>"
              "<height>66</height></p></plugin_options><window_options><output_folder>/tmp</output_folder>"
              "</window_options></glintfetch>");
    ConfigModel model;
    model.load();
    int width = -5;
    int height = -5;
    bool maximized = true;
    EXPECT_FALSE(model.getMainWindow(&width, &height, &maximized));
    EXPECT_EQ(width, -5);
    model.setMainWindow(900, 640, true);
    model.save();

    ConfigModel again;
    again.load();
    ASSERT_TRUE(again.getMainWindow(&width, &height, &maximized));
    EXPECT_EQ(width, 900);
    EXPECT_EQ(height, 640);
    EXPECT_TRUE(maximized);
    EXPECT_EQ(again.getOutputFolder(), "/tmp");
    again.setMainWindow(700, 400, false);
    ASSERT_TRUE(again.getMainWindow(&width, &height, &maximized));
    EXPECT_EQ(width, 700);
    EXPECT_FALSE(maximized);
    // No size is no size to keep.
    again.setMainWindow(0, 400, false);
    again.setMainWindow(700, -1, false);
    ASSERT_TRUE(again.getMainWindow(&width, &height, &maximized));
    EXPECT_EQ(height, 400);
    again.save();
    EXPECT_EQ(readFile().find("<main_window>", readFile().find("<main_window>") + 1), std::string::npos);
}

TEST_F(ConfigModelTest, AWindowSizeThatIsNoNumberReadsAsNone) {
    for (const char* width : {"", "abc", "-3", "0", "12x", "99999999"}) {
        writeFile(std::string("<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method>"
                              "<per_file>false</per_file><per_data>true</per_data></create_folder_method>"
                              "</file_options><plugin_options/><window_options><main_window><width>") +
                  width + "</width><height>300</height></main_window></window_options></glintfetch>");
        ConfigModel model;
        model.load();
        int w = 0;
        int h = 0;
        bool maximized = false;
        EXPECT_FALSE(model.getMainWindow(&w, &h, &maximized)) << width;
    }
}

}  // namespace

// Keeping damaged finds is off unless asked for: by default, in a file from before the setting,
// and before any load, where nothing is thrown either.
TEST_F(ConfigModelTest, KeepingDamagedFindsIsOffUnlessSet) {
    {
        ConfigModel model;
        EXPECT_FALSE(model.isKeepDamaged());
        model.setKeepDamaged(true);
        model.buildDefaultDocument();
        EXPECT_FALSE(model.isKeepDamaged());
        EXPECT_EQ(savedText(model, "keep_damaged"), "false");
        model.setKeepDamaged(true);
        EXPECT_TRUE(model.isKeepDamaged());
        EXPECT_EQ(savedText(model, "keep_damaged"), "true");
    }
    writeFile("<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method><per_file>true</per_file>"
              "<per_data>true</per_data></create_folder_method><size_limit><limit_from>0</limit_from>"
              "<limit_to>5</limit_to></size_limit></file_options></glintfetch>");
    ConfigModel model;
    model.load();
    EXPECT_FALSE(model.isKeepDamaged());
    model.setKeepDamaged(true);
    model.save();
    ConfigModel reread;
    reread.load();
    EXPECT_TRUE(reread.isKeepDamaged());
}

namespace {

// Files of before have no disk options: they read as the defaults for a card, and the first
// write adds them without touching the rest.
TEST_F(ConfigModelTest, DiskOptionsReadAsTheDefaultsUntilWritten) {
    writeFile("<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method><per_file>false</per_file>"
              "<per_data>true</per_data></create_folder_method></file_options><plugin_options/></glintfetch>");
    ConfigModel model;
    model.load();
    EXPECT_TRUE(model.isReadFileSystems());
    EXPECT_FALSE(model.isCarveWholeVolumes());
    EXPECT_EQ(model.getVolumeChoice(), "");
    model.setReadFileSystems(false);
    model.setCarveWholeVolumes(true);
    model.setVolumeChoice("1,3");
    model.save();

    ConfigModel again;
    again.load();
    EXPECT_FALSE(again.isReadFileSystems());
    EXPECT_TRUE(again.isCarveWholeVolumes());
    EXPECT_EQ(again.getVolumeChoice(), "1,3");
    EXPECT_FALSE(again.isCreateDirPerFile());
    again.setVolumeChoice("");
    EXPECT_EQ(again.getVolumeChoice(), "");
    again.setReadFileSystems(true);
    EXPECT_TRUE(again.isReadFileSystems());
}

}  // namespace

// A whole run with the user-defined plug-in installed alone: every find goes to the folder and
// the file name of the kind of the rule that matched it.

#include "app/Glintfetchfactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const pluginId = "glintfetch.userdefined";

class UserDefinedRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        scratch = fs::temp_directory_path() / ("glintfetch-userdefined-" + std::to_string(random()));
        fs::create_directories(scratch / "out");
        factory = createGlintfetchFactory();
        config = factory->createConfigModel();
        model = factory->createExtractModel(config, factory->createPluginModel());
        config->buildDefaultDocument();
        config->setCreateDirPerFile(false);
        config->setCreateDirPerData(true);
        config->setLimitFromText("");
    }

    void TearDown() override
    {
        factory.reset();
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        fs::remove(configPath(), ignored);
    }

    static fs::path configPath() { return fs::canonical("/proc/self/exe").parent_path() / "config.xml"; }

    void rule(const std::string& kind, const std::string& header, const std::string& footer,
              const std::string& largestSize)
    {
        rules += kind + "\ttext\t" + header + "\ttext\t" + footer + "\t" + largestSize + "\tfirst\twith\tcase\n";
        config->setProperty("rules", rules.c_str(), pluginId);
    }

    std::vector<std::string> run(const std::string& content)
    {
        const std::string input = (scratch / "disk.img").string();
        std::ofstream(input, std::ios::binary) << content;
        config->save();
        model->setOutputDirectory((scratch / "out").string());
        model->clearInputFiles();
        model->addInputFile(input);
        model->prepare();
        model->run();
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(scratch / "out")) {
            if (entry.is_regular_file()) {
                names.push_back(fs::relative(entry.path(), scratch / "out").string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string found(const std::string& name) const
    {
        std::ifstream in(scratch / "out" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string rules;
    fs::path scratch;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IExtractModel* model = nullptr;
};

TEST_F(UserDefinedRunTest, EachRulesFindsGoToTheFolderAndNamesOfItsKind)
{
    rule("note", "<note>", "</note>", "1000");
    rule("blob", "BLOB", "", "12");
    const std::string filler(300, '\x9a');
    const std::string content = filler + "<note>hello</note>" + filler + "BLOB0123456789" + filler +
                                "<note>two</note>" + filler + "BLOB";
    const std::vector<std::string> names = run(content);
    EXPECT_EQ(names, (std::vector<std::string>{"blob/blob00001.blob", "blob/blob00003.blob", "note/note00000.note",
                                               "note/note00002.note"}));
    EXPECT_EQ(found("note/note00000.note"), "<note>hello</note>");
    EXPECT_EQ(found("blob/blob00001.blob"), "BLOB01234567");
    EXPECT_EQ(found("note/note00002.note"), "<note>two</note>");
    EXPECT_EQ(found("blob/blob00003.blob"), "BLOB") << "a header at the very end: cut at the end of the input";
    EXPECT_EQ(model->getExtractedCount(), 4u);
}

TEST_F(UserDefinedRunTest, AHundredRulesFindWhatEachOneDescribes)
{
    std::string content(200, '\x9a');
    for (int i = 1; i <= 100; ++i) {
        const std::string number = std::to_string(i);
        rule("k" + number, "<k" + number + ">", "</k" + number + ">", "100");
        if (i % 10 == 0) {
            content += "<k" + number + ">body</k" + number + ">" + std::string(50, '\x9a');
        }
    }
    const std::vector<std::string> names = run(content);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "k10/k1000000.k10");
    EXPECT_EQ(found("k100/k10000009.k100"), "<k100>body</k100>");
}

}  // namespace

// The sound, video and picture plug-ins against real files: each file hidden in random data at an
// odd offset comes back byte for byte under its own kind, back to back with itself and inside
// another file too; cut short or with one structure byte broken it is not found; the size window
// holds.

#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Mediafiles.h"
#include "tests/plugins/Samplefiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Sample {
    const char* name;
    const char* folder;
    const char* kind;
};

const Sample samples[] = {
    {"mp4", "isomedia", "mp4"},       {"mov", "isomedia", "mov"},       {"3gp", "isomedia", "3gp"},
    {"m4a", "isomedia", "m4a"},       {"heic", "isomedia", "heic"},     {"avif", "isomedia", "avif"},
    {"cr3", "isomedia", "cr3"},       {"mov-bare", "isomedia", "mov"},  {"mp4-large", "isomedia", "mp4"},
    {"mp4-faststart", "isomedia", "mp4"},                               {"mkv", "matroska", "mkv"},
    {"mp4-fragmented", "isomedia", "mp4"},                              {"vob-ended", "mpg", "mpg"},
    {"jp2-open", "jpeg2000", "jp2"},
    {"mkv-live", "matroska", "mkv"},  {"mkv-open-clusters", "matroska", "mkv"},
    {"webm", "matroska", "webm"},     {"wmv", "wmv", "wmv"},
    {"wma", "wma", "wma"},            {"asf", "asf", "asf"},            {"flv", "flv", "flv"},
    {"mpg", "mpg", "mpg"},            {"vob", "mpg", "mpg"},            {"jp2", "jpeg2000", "jp2"},
    {"j2k", "jpeg2000", "j2k"},
};

// Every plug-in of the project, so that none of the others claims what is not its own.
const char* const allFolders[] = {"png", "jpeg", "gif", "bmp", "wav", "avi", "isomedia",
                                  "matroska", "asf", "wma", "wmv", "flv", "mpg", "jpeg2000"};

std::string nameOf(const testing::TestParamInfo<Sample>& info)
{
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

class MediaScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : allFolders) {
            loaded.push_back(std::make_unique<LoadedPlugin>(folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }

    void place(const Bytes& file, const std::string& kind)
    {
        expected.push_back({corpus.size(), kind, file});
        corpus.insert(corpus.end(), file.begin(), file.end());
    }

    void fill(std::size_t size)
    {
        Bytes noise = SampleFiles::random(size, static_cast<std::uint32_t>(corpus.size() + 1));
        corpus.insert(corpus.end(), noise.begin(), noise.end());
    }

    std::vector<CorpusScanner::Find> scan()
    {
        return CorpusScanner(plugins, output).scan(folder.write("corpus.bin", corpus), corpus);
    }

    TemporaryFolder folder;
    TemporaryFolder output;
    FakeExtractConfig config;
    std::vector<std::unique_ptr<LoadedPlugin>> loaded;
    std::vector<IExtractPlugin*> plugins;
    Bytes corpus;
    std::vector<CorpusScanner::Find> expected;
};

class MediaSampleTest : public MediaScan, public ::testing::WithParamInterface<Sample> {
protected:
    const Bytes& file() const
    {
        return MediaFiles::get(GetParam().name);
    }
};

TEST_P(MediaSampleTest, IsFoundWholeAtAnOddOffsetUnderItsKind)
{
    fill(1001);
    place(file(), GetParam().kind);
    fill(333);
    EXPECT_EQ(scan(), expected);
}

TEST_P(MediaSampleTest, BackToBackWithItselfGivesTwoFinds)
{
    fill(7);
    place(file(), GetParam().kind);
    place(file(), GetParam().kind);
    fill(64);
    EXPECT_EQ(scan(), expected);
}

TEST_P(MediaSampleTest, CutShortAtTheEndOfTheInputIsNotFound)
{
    for (std::size_t keep : {file().size() - 1, file().size() / 2 + 1}) {
        corpus = SampleFiles::random(11, 7);
        corpus.insert(corpus.end(), file().begin(), file().begin() + static_cast<long>(keep));
        auto finds = scan();
        EXPECT_TRUE(std::none_of(finds.begin(), finds.end(), [](const auto& f) { return f.offset == 11; }))
            << GetParam().name << " cut to " << keep << " of " << file().size() << " bytes";
    }
}

TEST_P(MediaSampleTest, ExtractsOnlyWithinTheSizeWindow)
{
    LoadedPlugin plugin(GetParam().folder);
    FakeExtractConfig window;
    plugin->setConfig(&window);
    Bytes content = SampleFiles::random(5, 3);
    content.insert(content.end(), file().begin(), file().end());
    content.resize(content.size() + 100, 0);
    const std::string input = folder.write("input.bin", content);
    const std::string out = output.file("out.bin");
    const int size = static_cast<int>(file().size());
    struct Case {
        int minimum;
        int maximum;
        bool extracted;
    };
    for (const Case& c : {Case{0, -1, true}, Case{0, size, true}, Case{0, size - 1, false},
                          Case{size + 1, -1, false}, Case{size, size, true}}) {
        window.minimumSize = c.minimum;
        window.maximumSize = c.maximum;
        const unsigned result = plugin->extract(input.c_str(), 0, 5, out.c_str());
        SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
        if (c.extracted) {
            EXPECT_EQ(result, file().size());
            EXPECT_EQ(TemporaryFolder::read(out), file());
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_FALSE(std::filesystem::exists(out));
        }
        std::filesystem::remove(out);
    }
}

INSTANTIATE_TEST_SUITE_P(Media, MediaSampleTest, ::testing::ValuesIn(samples), nameOf);

std::size_t find(const Bytes& bytes, const std::string& what, std::size_t from = 0)
{
    auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), what.begin(), what.end(),
                          [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    if (at == bytes.end()) {
        throw std::runtime_error("no such bytes in the sample");
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

const std::string asfData("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string clusterId("\x1F\x43\xB6\x75", 4);

TEST_F(MediaScan, OneBrokenStructureByteLosesTheFind)
{
    struct Case {
        const char* name;
        const char* fault;
        std::function<void(Bytes&)> corrupt;
    };
    const Case cases[] = {
        {"mp4", "no movie box", [](Bytes& b) { b[find(b, "moov")] = 'n'; }},
        {"mp4", "a media data box longer than the file", [](Bytes& b) { b[find(b, "mdat") - 2] ^= 0x40; }},
        {"mp4", "no movie header", [](Bytes& b) { b[find(b, "mvhd")] = 'x'; }},
        {"heic", "no picture handler", [](Bytes& b) { b[find(b, "pict")] = 'v'; }},
        {"cr3", "no movie box", [](Bytes& b) { b[find(b, "moov")] = 'x'; }},
        {"mov-bare", "its first chunks moved",
         [](Bytes& b) {
             const std::size_t first = find(b, "stco");
             b[first + 15] ^= 0x04;
             b[find(b, "stco", first + 4) + 15] ^= 0x04;
         }},
        {"mkv", "an unknown DocType", [](Bytes& b) { b[find(b, "matroska")] = 'n'; }},
        {"mkv", "a segment one byte longer", [](Bytes& b) { ++b[find(b, "\x18\x53\x80\x67") + 11]; }},
        {"mkv", "a cluster's identifier broken", [](Bytes& b) { b[find(b, clusterId)] = 0x0F; }},
        {"mkv-live", "the first cluster's identifier broken", [](Bytes& b) { b[find(b, clusterId) + 1] = 0; }},
        {"wmv", "a data object longer than the file", [](Bytes& b) { b[find(b, asfData) + 21] ^= 0x01; }},
        {"wma", "a header object count wrong", [](Bytes& b) { ++b[24]; }},
        {"flv", "a previous-tag size off by one", [](Bytes& b) { ++b[b.size() - 1]; }},
        {"flv", "a tag's data size off by one", [](Bytes& b) { ++b[13 + 3]; }},
        {"mpg", "a pack header's marker bit", [](Bytes& b) { b[4] &= 0x0F; }},
        {"mpg", "a system header's marker bit", [](Bytes& b) { b[find(b, std::string("\x00\x00\x01\xBB", 4)) + 6] &= 0x7F; }},
        {"mpg", "a system header's stream entry", [](Bytes& b) { b[find(b, std::string("\x00\x00\x01\xBB", 4)) + 13] &= 0x3F; }},
        {"vob", "the second pack's marker bit", [](Bytes& b) { b[find(b, std::string("\x00\x00\x01\xBA", 4), 1) + 6] &= 0xFB; }},
        {"jp2", "no codestream end", [](Bytes& b) { b[b.size() - 1] = 0xD8; }},
        {"jp2", "no header box", [](Bytes& b) { b[find(b, "jp2h") + 3] = 'x'; }},
        {"j2k", "a tile-part length off by one", [](Bytes& b) { ++b[find(b, "\xFF\x90") + 9]; }},
        {"j2k", "a marker segment's length", [](Bytes& b) { b[find(b, "\xFF\x52") + 2] ^= 0x10; }},
    };
    for (const Case& c : cases) {
        corpus = SampleFiles::random(3, 9);
        Bytes file = MediaFiles::get(c.name);
        c.corrupt(file);
        corpus.insert(corpus.end(), file.begin(), file.end());
        auto finds = scan();
        EXPECT_TRUE(std::none_of(finds.begin(), finds.end(), [](const auto& f) { return f.offset == 3; }))
            << c.name << ": " << c.fault;
    }
}

TEST_F(MediaScan, FilesOfEveryKindBackToBackAndInsideOneAnother)
{
    for (const Sample& sample : samples) {
        fill(sample.name[0] % 2 == 0 ? 13 : 0);
        place(MediaFiles::get(sample.name), sample.kind);
    }
    fill(100);
    // An MP4 carried as a Matroska attachment is found on its own as well.
    const Bytes& attached = MediaFiles::get("mkv-attached");
    const Bytes& inner = MediaFiles::get("mp4");
    const std::size_t outer = corpus.size();
    place(attached, "mkv");
    auto at = std::search(attached.begin(), attached.end(), inner.begin(), inner.end());
    ASSERT_NE(at, attached.end());
    expected.push_back({outer + static_cast<std::size_t>(at - attached.begin()), "mp4", inner});
    // A picture in a CR3's preview box likewise.
    std::size_t previewOffset = 0;
    const Bytes preview = SampleFiles::jpeg(24, 16, 4);
    fill(5);
    const std::size_t raw = corpus.size();
    place(MediaFiles::cr3WithPreview(preview, previewOffset), "cr3");
    expected.push_back({raw + previewOffset, "jpg", preview});
    fill(9);
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    EXPECT_EQ(scan(), expected);
}

TEST_F(MediaScan, RandomDataAloneYieldsNothing)
{
    fill(1024 * 1024);
    EXPECT_TRUE(scan().empty());
}

TEST_F(MediaScan, MediaDataOfSizeZeroRunsToTheEndOfTheInput)
{
    const Bytes& file = MediaFiles::get("mp4-to-end");
    fill(1001);
    place(file, "mp4");
    EXPECT_EQ(scan(), expected);

    // What follows belongs to it: the file says so.
    fill(333);
    expected.back().bytes.assign(corpus.begin() + 1001, corpus.end());
    EXPECT_EQ(scan(), expected);

    // A size window that does not reach the input's end finds nothing: the end cannot be seen.
    config.maximumSize = static_cast<int>(file.size());
    EXPECT_TRUE(scan().empty());
}

TEST(MediaPlugins, DescribeThemselvesInJapanese)
{
    const char* const folders[] = {"isomedia", "matroska", "asf", "wma", "wmv", "flv", "mpg", "jpeg2000"};
    for (const char* folder : folders) {
        LoadedPlugin plugin(folder);
        EXPECT_EQ(std::string(plugin->getID()), std::string("glintfetch.") + folder);
        EXPECT_TRUE(std::any_of(plugin->getName(), plugin->getName() + std::strlen(plugin->getName()),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            << plugin->getName();
        EXPECT_STRNE(plugin->getKind(), "");
        EXPECT_GT(plugin->getWindowSize(), 0u);
        EXPECT_LE(plugin->getWindowSize(), 64u);
    }
}

}

// Real files hidden in random data, at odd and even offsets, back to back, one inside another's
// data, and two cut short: every whole file comes back byte for byte, nothing else does.

#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const folders[] = {"png", "jpeg", "gif", "bmp", "wav", "avi"};

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : folders) {
            loaded.push_back(std::make_unique<LoadedPlugin>(folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }

    // Appends file to the corpus and, unless it is cut, to the finds expected of it.
    void place(const Bytes& file, const std::string& kind)
    {
        expected.push_back({corpus.size(), kind, file});
        corpus.insert(corpus.end(), file.begin(), file.end());
    }

    void placeCut(const Bytes& file, std::size_t keep)
    {
        corpus.insert(corpus.end(), file.begin(), file.begin() + static_cast<long>(keep));
    }

    void fill(std::size_t size)
    {
        Bytes noise = SampleFiles::random(size, static_cast<std::uint32_t>(corpus.size()));
        corpus.insert(corpus.end(), noise.begin(), noise.end());
    }

    // A file that lies inside another's data, offset bytes into the outer file.
    void expectInside(std::size_t outerStart, std::size_t offset, const Bytes& file, const std::string& kind)
    {
        expected.push_back({outerStart + offset, kind, file});
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

TEST_F(CorpusTest, EveryWholeFileIsRecoveredExactly)
{
    fill(1001);
    place(SampleFiles::png(37, 23, 1), "png");
    fill(2000);

    Bytes thumbnail = SampleFiles::jpeg(16, 12, 2);
    std::size_t thumbnailOffset = 0;
    std::size_t photoStart = corpus.size();
    place(SampleFiles::jpegWithThumbnail(64, 48, 3, thumbnail, thumbnailOffset), "jpg");
    expectInside(photoStart, thumbnailOffset, thumbnail, "jpg");
    // Back to back, no gap between them.
    place(SampleFiles::gif(30, 20, 4), "gif");
    place(SampleFiles::bmp(17, 9, 5), "bmp");
    fill(333);

    Bytes hiddenPng = SampleFiles::png(12, 12, 6);
    std::size_t samplesOffset = 0;
    std::size_t soundStart = corpus.size();
    Bytes samples = SampleFiles::random(500, 7);
    samples.insert(samples.begin() + 101, hiddenPng.begin(), hiddenPng.end());
    place(SampleFiles::wav(samples, samplesOffset), "wav");
    expectInside(soundStart, samplesOffset + 101, hiddenPng, "png");
    fill(64);

    Bytes frameBitmap = SampleFiles::bmp(8, 8, 8);
    std::vector<std::size_t> frameOffsets;
    std::size_t movieStart = corpus.size();
    place(SampleFiles::avi({SampleFiles::random(301, 9), frameBitmap, SampleFiles::random(64, 10)}, frameOffsets),
          "avi");
    expectInside(movieStart, frameOffsets[1], frameBitmap, "bmp");
    fill(777);

    Bytes cutPng = SampleFiles::png(20, 20, 11);
    placeCut(cutPng, cutPng.size() - 12);
    fill(4096);
    place(SampleFiles::jpeg(33, 17, 12), "jpg");
    fill(3);
    Bytes cutGif = SampleFiles::gif(25, 25, 13);
    placeCut(cutGif, cutGif.size() / 2);

    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    bool odd = std::any_of(expected.begin(), expected.end(), [](const auto& f) { return f.offset % 2 == 1; });
    bool even = std::any_of(expected.begin(), expected.end(), [](const auto& f) { return f.offset % 2 == 0; });
    ASSERT_TRUE(odd && even) << "the corpus places files at both odd and even offsets";

    EXPECT_EQ(scan(), expected);
}

TEST_F(CorpusTest, RandomDataAloneYieldsNothing)
{
    fill(3 * 1024 * 1024);
    EXPECT_TRUE(scan().empty());
}

TEST_F(CorpusTest, FileCutAtTheEndOfTheInputIsNotExtracted)
{
    struct Case {
        const char* kind;
        Bytes file;
    };
    std::size_t ignored = 0;
    std::vector<std::size_t> frames;
    const Case cases[] = {
        {"png", SampleFiles::png(20, 20, 1)},
        {"jpg", SampleFiles::jpeg(20, 20, 2)},
        {"gif", SampleFiles::gif(20, 20, 3)},
        {"bmp", SampleFiles::bmp(20, 20, 4)},
        {"wav", SampleFiles::wav(SampleFiles::random(200, 5), ignored)},
        {"avi", SampleFiles::avi({SampleFiles::random(90, 6)}, frames)},
    };
    for (const Case& c : cases) {
        corpus = SampleFiles::random(11, 7);
        placeCut(c.file, c.file.size() - 1);
        EXPECT_TRUE(scan().empty()) << c.kind << " one byte short";
    }
}

}

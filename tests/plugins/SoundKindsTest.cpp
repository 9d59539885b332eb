// The newer plug-ins on real files: each found at an odd offset in random data, back to back with
// itself, inside another file's data, and not found (or not as it was) when cut short or when one
// byte of its structure is broken. Every find must be the file, byte for byte.

#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Soundsamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every plug-in, so that a find of one kind that another plug-in also claims shows up.
const char* const allFolders[] = {"png", "jpeg", "gif", "bmp", "wav", "avi", "webp", "aif", "mid"};

struct Sample {
    const char* name;
    const char* kind;
    std::function<Bytes()> make;
    // A byte of the file's structure: flipped, the file is no longer found as it was.
    std::function<std::size_t(const Bytes&)> structureByte;
    // Whether the file's own structure tells where it ends, so that a copy cut short is not found
    // at all. A recording never finished, or MPEG audio without a length, is found shorter.
    bool endKnown = true;
    // Whether checksums cover the whole file, so that a copy cut short is not found even where
    // other data follows and fills the place of what is missing.
    bool checksummed = false;
};

std::size_t find(const Bytes& bytes, const std::string& text, std::size_t from = 0)
{
    auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), text.begin(), text.end());
    if (at == bytes.end()) {
        throw std::runtime_error("no " + text + " in the sample");
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

std::function<std::size_t(const Bytes&)> at(std::size_t offset)
{
    return [offset](const Bytes&) { return offset; };
}

std::function<std::size_t(const Bytes&)> in(const std::string& text, std::size_t plus = 0)
{
    return [text, plus](const Bytes& bytes) { return find(bytes, text) + plus; };
}

const Bytes& samples333()
{
    static const Bytes samples = SampleFiles::random(333, 21);
    return samples;
}

const Sample samples[] = {
    {"SoxWav", "wav", SoundSamples::soxWav, in("data", 1)},
    {"SoxFloatWav", "wav", SoundSamples::soxFloatWav, in("fmt ", 4)},
    {"FfmpegRf64", "wav", SoundSamples::ffmpegRf64Wav, in("ds64", 8)},
    {"HandBuiltRf64", "wav", [] { return SoundSamples::largeWav("RF64", samples333()); }, in("ds64", 9)},
    {"HandBuiltBw64", "wav", [] { return SoundSamples::largeWav("BW64", samples333()); }, in("ds64", 8)},
    {"UnfinishedWavWithSizedChunks", "wav", [] { return SoundSamples::unfinishedWavWithSizedChunks(samples333()); },
     in("fmt ", 1), false},
    {"WavWithoutPadByte", "wav", [] { return SoundSamples::wavWithoutPadByte(samples333()); }, at(5)},
    {"WavWithShortFormat", "wav", [] { return SoundSamples::wavWithShortFormat(samples333()); }, in("data", 2)},
    {"FfmpegAvi", "avi", SoundSamples::ffmpegAvi, in("avih", 1)},
    {"AviWithJunkFirst", "avi", SoundSamples::aviWithJunkFirst, in("hdrl")},
    {"UnfinishedAvi", "avi", SoundSamples::ffmpegStreamedAvi, in("avih"), false},
    {"WebpLossy", "webp", SoundSamples::webpLossy, in("VP8 ", 4)},
    {"WebpLossless", "webp", SoundSamples::webpLossless, in("VP8L", 8)},
    {"WebpWithAlpha", "webp", SoundSamples::webpWithAlpha, in("ALPH", 1)},
    {"WebpAnimated", "webp", SoundSamples::webpAnimated, in("ANMF", 4)},
    {"WebpWithMetadata", "webp", SoundSamples::webpWithMetadata, in("ICCP", 5)},
    {"SoxAiff", "aif", SoundSamples::soxAiff, in("COMM", 16)},
    {"FfmpegAiffWithId3", "aif", SoundSamples::ffmpegAiff, in("SSND", 5)},
    {"SoxAifc", "aif", SoundSamples::soxAifc, at(6)},
    {"MidiOfThreeTracks", "mid", [] { return SoundSamples::midi(3, 1); }, in("MTrk", 1)},
    {"MidiOfOneTrack", "mid", [] { return SoundSamples::midi(1, 2); }, in("MTrk", 6)},
};

class SoundKindsTest : public ::testing::TestWithParam<Sample> {
protected:
    void SetUp() override
    {
        file = GetParam().make();
        for (const char* folder : allFolders) {
            loaded.push_back(std::make_unique<LoadedPlugin>(folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }

    std::vector<CorpusScanner::Find> scan(const Bytes& corpus)
    {
        return CorpusScanner(plugins, output).scan(folder.write("corpus.bin", corpus), corpus);
    }

    CorpusScanner::Find expect(std::uint64_t offset) const
    {
        return {offset, GetParam().kind, file};
    }

    static Bytes noise(std::size_t size, std::uint32_t seed)
    {
        return SampleFiles::random(size, seed);
    }

    static void append(Bytes& to, const Bytes& bytes)
    {
        to.insert(to.end(), bytes.begin(), bytes.end());
    }

    Bytes file;
    TemporaryFolder folder;
    TemporaryFolder output;
    FakeExtractConfig config;
    std::vector<std::unique_ptr<LoadedPlugin>> loaded;
    std::vector<IExtractPlugin*> plugins;
};

TEST_P(SoundKindsTest, FoundWholeAtAnOddOffset)
{
    Bytes corpus = noise(1001, 1);
    append(corpus, file);
    append(corpus, noise(999, 2));
    EXPECT_EQ(scan(corpus), std::vector<CorpusScanner::Find>{expect(1001)});
}

TEST_P(SoundKindsTest, FoundTwiceBackToBack)
{
    Bytes corpus = noise(17, 3);
    append(corpus, file);
    append(corpus, file);
    append(corpus, noise(64, 4));
    std::vector<CorpusScanner::Find> expected = {expect(17), expect(17 + file.size())};
    EXPECT_EQ(scan(corpus), expected);
}

TEST_P(SoundKindsTest, FoundInsideAnotherFilesData)
{
    Bytes samples = noise(101, 5);
    append(samples, file);
    append(samples, noise(57, 6));
    std::size_t dataOffset = 0;
    Bytes outer = SampleFiles::wav(samples, dataOffset);
    Bytes corpus = noise(3, 7);
    append(corpus, outer);
    append(corpus, noise(100, 8));
    std::vector<CorpusScanner::Find> expected = {{3, "wav", outer}, expect(3 + dataOffset + 101)};
    EXPECT_EQ(scan(corpus), expected);
}

TEST_P(SoundKindsTest, CutShortIsNotFoundAsItWas)
{
    for (std::size_t keep : {file.size() - 1, file.size() / 2, std::size_t{40}}) {
        for (bool atTheEnd : {true, false}) {
            if (!atTheEnd && !GetParam().checksummed) {
                continue;
            }
            Bytes corpus = noise(5, 9);
            corpus.insert(corpus.end(), file.begin(), file.begin() + static_cast<long>(keep));
            if (!atTheEnd) {
                append(corpus, noise(300, 10));
            }
            SCOPED_TRACE("kept " + std::to_string(keep) + " of " + std::to_string(file.size()) +
                         (atTheEnd ? " at the input's end" : " before random data"));
            for (const auto& found : scan(corpus)) {
                if (found.offset == 5) {
                    EXPECT_FALSE(GetParam().endKnown) << "a cut file was found";
                    EXPECT_LT(found.bytes.size(), keep + 1);
                    EXPECT_TRUE(std::equal(found.bytes.begin(), found.bytes.end(), file.begin()));
                }
            }
        }
    }
}

TEST_P(SoundKindsTest, BrokenStructureByteIsNotFoundAsItWas)
{
    Bytes broken = file;
    const std::size_t structure = GetParam().structureByte(file);
    broken[structure] ^= 0x5A;
    Bytes corpus = noise(11, 11);
    append(corpus, broken);
    append(corpus, noise(200, 12));
    for (const auto& found : scan(corpus)) {
        if (found.offset == 11) {
            EXPECT_FALSE(GetParam().endKnown) << "found despite the byte at " << structure;
            EXPECT_NE(found.bytes, file);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SoundKindsTest, ::testing::ValuesIn(samples),
                         [](const auto& info) { return std::string(info.param.name); });

}

namespace {

unsigned extractAt(IExtractPlugin* plugin, const std::string& input, std::uint64_t offset, const std::string& output)
{
    return plugin->extract(input.c_str(), static_cast<unsigned>(offset >> 32), static_cast<unsigned>(offset),
                           output.c_str());
}

// ffmpeg writing to a pipe leaves every size unwritten: the samples run to the end of what may be
// read, in whole sample frames, and the size window's upper bound cuts them.
TEST(UnfinishedRecording, RunsToTheInputsEndOrTheSizeWindowInWholeFrames)
{
    const Bytes file = SoundSamples::ffmpegStreamedWav();
    const std::size_t samplesStart = find(file, "data") + 8;
    Bytes content = SampleFiles::random(7, 1);
    content.insert(content.end(), file.begin(), file.end());
    Bytes tail = SampleFiles::random(5, 2);
    content.insert(content.end(), tail.begin(), tail.end());
    TemporaryFolder folder;
    const std::string input = folder.write("input.bin", content);
    FakeExtractConfig config;
    LoadedPlugin plugin("wav");
    plugin->setConfig(&config);

    struct Case {
        int maximum;
        std::size_t expected;
    };
    const std::size_t whole = content.size() - 7;
    const int cut = static_cast<int>(samplesStart + 101);
    const Case cases[] = {
        {-1, samplesStart + (whole - samplesStart) / 2 * 2},
        {cut, samplesStart + 100},
        {static_cast<int>(samplesStart), 0},
    };
    for (const Case& c : cases) {
        config.maximumSize = c.maximum;
        const std::string output = folder.file("out.wav");
        EXPECT_EQ(extractAt(plugin.get(), input, 7, output), c.expected) << "window up to " << c.maximum;
        if (c.expected > 0) {
            EXPECT_EQ(TemporaryFolder::read(output), Bytes(content.begin() + 7, content.begin() + 7 + static_cast<long>(c.expected)));
        }
        std::filesystem::remove(output);
    }
}

void put32(std::fstream& out, std::uint32_t value)
{
    char bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>(value >> (8 * i));
    }
    out.write(bytes, 4);
}

// Writes a RIFF form at its position in the file: its header, a list of the given type, and in it
// one chunk whose data (a hole: nothing is written there) fills the form.
std::uint64_t writeSparseForm(std::fstream& out, std::uint64_t at, const char* form, std::uint32_t size,
                              const Bytes& head)
{
    out.seekp(static_cast<std::streamoff>(at));
    out.write("RIFF", 4);
    put32(out, size);
    out.write(form, 4);
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    const std::uint32_t listSize = size - 4 - static_cast<std::uint32_t>(head.size()) - 8;
    out.write("LIST", 4);
    put32(out, listSize);
    out.write("movi", 4);
    out.write("00dc", 4);
    put32(out, listSize - 12);
    return at + 8 + size;
}

// An OpenDML file of three parts, 3 GiB in all, made sparse so that it costs no disk space: found
// whole when the size window takes it, not at all (not as its first part) when it does not.
TEST(OpenDml, FileOfThreeGigabytesIsFoundWholeWithinTheSizeWindow)
{
    TemporaryFolder folder;
    const std::string input = folder.file("large.avi");
    const std::uint32_t part = 1u << 30;
    Bytes header = SoundSamples::ffmpegAvi();
    const std::size_t headerEnd = 12 + 8 + (header[16] | header[17] << 8 | header[18] << 16);
    // The ffmpeg file's header list, as the first part's opening.
    const Bytes headerList(header.begin() + 12, header.begin() + static_cast<long>(headerEnd));
    std::uint64_t end = 0;
    {
        std::fstream out(input, std::ios::binary | std::ios::out | std::ios::trunc);
        out.write("xyz", 3);
        end = writeSparseForm(out, 3, "AVI ", part, headerList);
        end = writeSparseForm(out, end, "AVIX", part, Bytes());
        end = writeSparseForm(out, end, "AVIX", part - 1000, Bytes());
        out.seekp(static_cast<std::streamoff>(end));
        out.write("tail", 4);
    }
    const std::uint64_t whole = end - 3;
    ASSERT_GT(whole, std::uint64_t{2} << 30);
    FakeExtractConfig config;
    LoadedPlugin plugin("avi");
    plugin->setConfig(&config);
    // The copy goes nowhere: three gigabytes need not reach the disk to show the length.
    const std::string output = folder.file("out.avi");
    std::filesystem::create_symlink("/dev/null", output);
    EXPECT_EQ(extractAt(plugin.get(), input, 3, output), whole);
    config.maximumSize = static_cast<int>(whole - 1 > 0x7FFFFFFF ? 0x7FFFFFFF : whole - 1);
    EXPECT_EQ(extractAt(plugin.get(), input, 3, output), 0u);
}

}

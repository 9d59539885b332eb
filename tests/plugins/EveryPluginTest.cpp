// Every sample plug-in at once, as a run meets them: all of the plug-in folder loaded in the byte
// order of the file names, the first to extract at a position winning it. One sample of every kind
// hidden in random data must come back once, whole and under its own kind, and nothing else may
// come out but the finds that really lie inside another find, each listed below with its reason;
// data with nothing in it must give nothing.

#include "tests/plugins/Archivesamples.h"
#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Documentfiles.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Mediafiles.h"
#include "tests/plugins/Rawsamples.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Soundsamples.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Sample {
    std::string kind;
    Bytes file;
};

// A find inside another find that a run rightly gives as well: the inner file is whole and stored
// as it is in the outer one.
struct Nested {
    const char* outer;
    const char* inner;
    const char* reason;
};

const Nested nested[] = {
    {"rw2", "jpg", "the Panasonic raw carries its preview JPEG whole in a tag"},
    {"mpg", "mp3", "a program stream's audio packet holds a run of whole MPEG audio frames as they are"},
};

// The plug-ins' folder names, in the order a run loads them: their files' names in byte order.
std::vector<std::string> everyFolder()
{
    const std::string suffix = "extract.so";
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(GLINTFETCH_PLUGIN_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> folders;
    for (const std::string& file : files) {
        folders.push_back(file.substr(0, file.size() - suffix.size()));
    }
    return folders;
}

// The cursor form of an icon: type 2, the hot spot where an icon keeps its planes and bit count.
Bytes cursorOf(Bytes icon)
{
    icon[2] = 2;
    for (unsigned i = 0; i < icon[4]; ++i) {
        const std::size_t entry = 6 + 16 * i;
        icon[entry + 4] = 5;
        icon[entry + 6] = 9;
        icon[entry + 5] = icon[entry + 7] = 0;
    }
    return icon;
}

std::vector<Sample> oneOfEveryKind()
{
    std::vector<Sample> samples;
    std::size_t ignored = 0;
    std::vector<std::size_t> frames;
    samples.push_back({"png", SampleFiles::png(37, 23, 1)});
    samples.push_back({"jpg", SampleFiles::jpeg(33, 17, 2)});
    samples.push_back({"gif", SampleFiles::gif(30, 20, 3)});
    samples.push_back({"bmp", SampleFiles::bmp(17, 9, 4)});
    samples.push_back({"wav", SampleFiles::wav(SampleFiles::random(500, 5), ignored)});
    samples.push_back({"avi", SampleFiles::avi({SampleFiles::random(301, 6), SampleFiles::random(64, 7)}, frames)});

    samples.push_back({"tif", ToolFiles::make("convert " + ToolFiles::picture(21, 13, 8) + " -compress lzw out.tif",
                                              "out.tif")});
    samples.push_back({"dng", RawSamples::dng(false)});
    samples.push_back({"cr2", RawSamples::cr2()});
    samples.push_back({"nef", RawSamples::makerRaw(true, "NIKON CORPORATION", 34713, 41)});
    samples.push_back({"arw", RawSamples::makerRaw(false, "SONY", 32767, 51)});
    samples.push_back({"orf", RawSamples::orf(false)});
    samples.push_back({"rw2", RawSamples::rw2()});
    const Bytes icon = ToolFiles::make(
        "convert " + ToolFiles::picture(64, 64, 9) + " -define icon:auto-resize=48,16 out.ico", "out.ico");
    samples.push_back({"ico", icon});
    samples.push_back({"cur", cursorOf(ToolFiles::make(
                                  "convert " + ToolFiles::picture(64, 64, 10) + " -define icon:auto-resize=32,16 out.ico",
                                  "out.ico"))});
    samples.push_back({"psd", ToolFiles::make("convert " + ToolFiles::picture(31, 19, 11) + " -depth 8 -compress RLE out.psd",
                                              "out.psd")});

    samples.push_back({"webp", SoundSamples::webpLossy()});
    samples.push_back({"aif", SoundSamples::soxAiff()});
    samples.push_back({"mid", SoundSamples::midi(2, 12)});
    samples.push_back({"ogg", SoundSamples::oggVorbis()});
    samples.push_back({"flac", SoundSamples::soxFlac()});
    samples.push_back({"mp3", SoundSamples::mp3WithTags()});

    const ArchiveSamples archives(13);
    samples.push_back({"zip", archives.zip()});
    for (const char* kind : {"docx", "xlsx", "pptx", "odt", "ods", "odp", "epub", "jar", "apk"}) {
        samples.push_back({kind, archives.document(kind)});
    }
    samples.push_back({"gz", archives.gzip("-n")});
    samples.push_back({"bz2", archives.bzip2()});
    samples.push_back({"xz", archives.xz()});
    samples.push_back({"7z", archives.sevenZip()});
    samples.push_back({"tar", archives.tar("gnu")});
    samples.push_back({"rar", archives.rar5()});

    DocumentFiles documents;
    samples.push_back({"pdf", DocumentFiles::qtPdf(1, 14)});
    samples.push_back({"ole", DocumentFiles::compoundFile(3, {{"__substg1.0_0037001F", SampleFiles::random(90, 15)},
                                                              {"__properties_version1.0", SampleFiles::random(400, 16)}})});
    samples.push_back({"doc", DocumentFiles::compoundFile(3, {{"WordDocument", SampleFiles::random(9000, 17)},
                                                              {"1Table", SampleFiles::random(700, 18)}})});
    samples.push_back({"xls", DocumentFiles::compoundFile(4, {{"Workbook", SampleFiles::random(6000, 19)}})});
    samples.push_back({"ppt", DocumentFiles::compoundFile(3, {{"PowerPoint Document", SampleFiles::random(5000, 20)}})});
    samples.push_back({"sqlite", documents.sqlite(100, 4096, false)});
    samples.push_back({"elf", documents.elfObject()});
    samples.push_back({"exe", documents.pe(true, true)});

    for (const char* kind : {"mp4", "mov", "3gp", "m4a", "heic", "avif", "cr3", "mkv", "webm", "wmv", "wma", "asf",
                             "flv", "mpg", "jp2", "j2k"}) {
        samples.push_back({kind, MediaFiles::get(kind)});
    }
    return samples;
}

class EveryPluginTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        for (const std::string& folder : everyFolder()) {
            loaded.push_back(std::make_unique<LoadedPlugin>(folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }
};

TEST_F(EveryPluginTest, EveryKindIsLoaded)
{
    // Sample plug-ins added later must join the corpus below.
    EXPECT_GE(plugins.size(), 55u);
}

TEST_F(EveryPluginTest, EachSampleComesOutOnceUnderItsOwnKind)
{
    struct Placed {
        std::size_t start;
        const Sample* sample;
    };
    const std::vector<Sample> samples = oneOfEveryKind();
    std::vector<Placed> placed;
    std::size_t gap = 1001;
    for (const Sample& sample : samples) {
        fill(gap);
        gap = gap * 7 % 1999 + 3;
        placed.push_back({corpus.size(), &sample});
        corpus.insert(corpus.end(), sample.file.begin(), sample.file.end());
    }
    fill(333);
    ASSERT_TRUE(std::any_of(placed.begin(), placed.end(), [](const Placed& p) { return p.start % 2 == 1; }));

    std::set<std::pair<std::string, std::string>> allowed;
    for (const Nested& n : nested) {
        allowed.insert({n.outer, n.inner});
    }
    std::set<std::pair<std::string, std::string>> seen;
    std::map<std::size_t, const Placed*> byStart;
    for (const Placed& p : placed) {
        byStart[p.start] = &p;
    }

    std::set<std::size_t> recovered;
    for (const CorpusScanner::Find& find : scan()) {
        auto at = byStart.find(find.offset);
        if (at != byStart.end() && find.kind == at->second->sample->kind) {
            EXPECT_TRUE(find.bytes == at->second->sample->file)
                << find.kind << ": " << find.bytes.size() << " bytes of " << at->second->sample->file.size();
            EXPECT_TRUE(recovered.insert(find.offset).second) << find.kind << " twice";
            continue;
        }
        // Anything else must lie wholly inside one placed sample, and be listed.
        auto outer = byStart.upper_bound(find.offset);
        ASSERT_NE(outer, byStart.begin());
        --outer;
        const Placed& host = *outer->second;
        const bool inside = find.offset + find.bytes.size() <= host.start + host.sample->file.size() &&
                            std::equal(find.bytes.begin(), find.bytes.end(),
                                       corpus.begin() + static_cast<long>(find.offset));
        const std::pair<std::string, std::string> pair{host.sample->kind, find.kind};
        EXPECT_TRUE(inside && allowed.count(pair) == 1)
            << find.kind << " at " << find.offset << " (" << find.bytes.size() << " bytes), "
            << find.offset - host.start << " bytes into the " << host.sample->kind << " sample of "
            << host.sample->file.size() << " bytes" << (inside ? "" : ", not inside it");
        seen.insert(pair);
    }
    for (const Placed& p : placed) {
        EXPECT_EQ(recovered.count(p.start), 1u) << p.sample->kind << " at " << p.start << " not recovered";
    }
    for (const Nested& n : nested) {
        EXPECT_EQ(seen.count({n.outer, n.inner}), 1u) << n.inner << " in " << n.outer << " is listed but not found";
    }
}

// A frame header passes random data about once in 2 KiB, and each candidate costs extract a read of
// the input: detect also wants the granules' bits to fit in the frame and the bit reservoir.
TEST_F(EveryPluginTest, MpegAudioDetectWantsTheGranulesToFit)
{
    IExtractPlugin* mp3 = nullptr;
    for (IExtractPlugin* plugin : plugins) {
        mp3 = std::string(plugin->getKind()) == "mp3" ? plugin : mp3;
    }
    ASSERT_NE(mp3, nullptr);
    Bytes file = SoundSamples::mp3Bare();
    file.resize(file.size() + mp3->getWindowSize());
    EXPECT_TRUE(mp3->detect(file.data()));
    // MPEG-2 layer III without a CRC: the side information's reservoir offset (8 bits) and private
    // bits, then the first granule's length in bits, here made 4095, more than the frame holds.
    ASSERT_EQ(file[1] & 0x19, 0x11);
    file[5] = 0xFF;
    file[6] |= 0xFC;
    EXPECT_FALSE(mp3->detect(file.data()));
}

// Data with nothing in it, of the kinds a disk holds most: noise, erased space, text.
TEST_F(EveryPluginTest, DataWithNothingInItGivesNothing)
{
    fill(8 * 1024 * 1024);
    corpus.insert(corpus.end(), 1024 * 1024, 0x00);
    corpus.insert(corpus.end(), 1024 * 1024, 0xFF);
    const std::string line = "The quick brown fox jumps over the lazy dog 0123456789 <p>&amp;</p>\r\n";
    while (corpus.size() < 11 * 1024 * 1024) {
        corpus.insert(corpus.end(), line.begin(), line.end());
    }
    for (const CorpusScanner::Find& find : scan()) {
        ADD_FAILURE() << find.kind << " at " << find.offset << " (" << find.bytes.size() << " bytes)";
    }
}

}

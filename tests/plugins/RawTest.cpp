// Camera raw files, hand-built small from the TIFF structure each maker's format follows, found
// under their own kinds by the plug-ins that load before the plain TIFF one, wherever they lie.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Rawsamples.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Tiffbuilder.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Raw {
    const char* kind;
    Bytes file;
};

std::vector<Raw> raws()
{
    return {
        {"dng", RawSamples::dng(false)},
        {"dng", RawSamples::dng(true)},
        {"cr2", RawSamples::cr2()},
        {"nef", RawSamples::makerRaw(true, "NIKON CORPORATION", 34713, 41)},
        {"nef", RawSamples::makerRaw(false, "NIKON CORPORATION", 1, 43)},
        {"arw", RawSamples::makerRaw(false, "SONY", 32767, 51)},
        {"orf", RawSamples::orf(false)},
        {"orf", RawSamples::orf(true)},
        {"rw2", RawSamples::rw2()},
    };
}

class RawTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        // The order a run loads them in: their file names' order.
        load({"arw", "cr2", "dng", "nef", "orf", "rw2", "tif"});
    }
};

TEST(RawOrder, RawPluginsLoadBeforeTheTiffOne)
{
    // A run loads plug-ins in the byte order of their paths; the first to extract at a position wins.
    for (const char* folder : {"arw", "cr2", "dng", "nef", "orf", "rw2"}) {
        EXPECT_LT(LoadedPlugin::pathOf(folder), LoadedPlugin::pathOf("tif")) << folder;
    }
}

TEST_F(RawTest, EachIsFoundAloneUnderItsOwnKind)
{
    for (const Raw& raw : raws()) {
        std::vector<CorpusScanner::Find> finds = scanAlone(raw.file, 333);
        ASSERT_EQ(finds.size(), 1u) << raw.kind;
        EXPECT_EQ(finds[0].offset, 333u) << raw.kind;
        EXPECT_EQ(finds[0].kind, raw.kind);
        EXPECT_TRUE(finds[0].bytes == raw.file) << raw.kind << ": " << finds[0].bytes.size() << " of " << raw.file.size();
    }
}

TEST_F(RawTest, BackToBackAtOddOffsetsAndInsideAnotherFile)
{
    loaded.clear();
    plugins.clear();
    load({"arw", "cr2", "dng", "nef", "orf", "rw2", "tif", "wav"});
    fill(1001);
    for (const Raw& raw : raws()) {
        place(raw.file, raw.kind);
    }
    fill(3);
    Bytes hidden = RawSamples::cr2();
    Bytes sound = SampleFiles::random(301, 9);
    sound.insert(sound.begin() + 7, hidden.begin(), hidden.end());
    std::size_t dataOffset = 0;
    std::size_t soundStart = corpus.size();
    place(SampleFiles::wav(sound, dataOffset), "wav");
    expectInside(soundStart, dataOffset + 7, hidden, "cr2");
    fill(50);
    // The preview JPEG inside the RW2 is a find of its own for the JPEG plug-in, not loaded here.
    EXPECT_EQ(scan(), sortedExpected());
}

TEST_F(RawTest, CutShortOrBrokenIsNotTaken)
{
    for (const Raw& raw : raws()) {
        for (std::size_t keep : {raw.file.size() - 1, raw.file.size() / 2}) {
            corpus.clear();
            fill(9);
            placeCut(raw.file, keep);
            EXPECT_TRUE(scan().empty()) << raw.kind << " cut to " << keep;
        }
        // IFD0's entry count broken: 0 entries.
        Bytes broken = raw.file;
        const bool big = broken[0] == 'M';
        const std::size_t first = big ? (std::size_t{broken[6]} << 8 | broken[7]) : (broken[4] | broken[5] << 8);
        broken[first] = 0;
        broken[first + 1] = 0;
        EXPECT_TRUE(scanAlone(broken, 5).empty()) << raw.kind;
    }
}

// The make alone does not make a raw: a scanner's TIFF picture with a camera maker's name stays a
// TIFF, and so does a DNG-like file without its version tag.
TEST_F(RawTest, PictureOfAMakerIsATiff)
{
    Bytes picture = ToolFiles::make("convert " + ToolFiles::picture(20, 10, 5) +
                                        " -define tiff:endian=msb out.tif && exiftool -q -overwrite_original "
                                        "-Make='NIKON CORPORATION' out.tif",
                                    "out.tif");
    std::vector<CorpusScanner::Find> finds = scanAlone(picture, 11);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].kind, "tif");
    EXPECT_TRUE(finds[0].bytes == picture);
}

}

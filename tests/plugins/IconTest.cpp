// Icons written by ImageMagick (bitmap images and a PNG one for 256 pixels) and cursors made from
// them with the cursor's type and hot spots: each comes back whole to its farthest image, the PNG
// inside also on its own; cut short or with a broken image, nothing comes back.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::uint32_t read32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

Bytes icon(const std::string& sizes, int seed)
{
    return ToolFiles::make("convert " + ToolFiles::picture(64, 64, seed) + " -define icon:auto-resize=" + sizes +
                               " out.ico",
                           "out.ico");
}

// A cursor is an icon file of type 2 whose entries hold the hot spot where an icon's hold its
// planes and bit count.
Bytes cursor(int seed)
{
    Bytes file = icon("32,16", seed);
    file[2] = 2;
    const unsigned count = file[4];
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        file[entry + 4] = 5;
        file[entry + 5] = 0;
        file[entry + 6] = 9;
        file[entry + 7] = 0;
    }
    return file;
}

struct Sample {
    const char* what;
    const char* kind;
    Bytes file;
};

std::vector<Sample> samples()
{
    return {
        {"icon with a PNG image", "ico", icon("16,32,48,256", 1)},
        {"icon of one image", "ico", icon("24", 2)},
        {"cursor", "cur", cursor(3)},
    };
}

class IconTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"cur", "ico"});
    }
};

TEST_F(IconTest, EachIsRecoveredWholeUnderItsKind)
{
    for (const Sample& sample : samples()) {
        std::vector<CorpusScanner::Find> finds = scanAlone(sample.file, 501);
        ASSERT_EQ(finds.size(), 1u) << sample.what;
        EXPECT_EQ(finds[0].offset, 501u) << sample.what;
        EXPECT_EQ(finds[0].kind, sample.kind) << sample.what;
        EXPECT_TRUE(finds[0].bytes == sample.file) << sample.what;
    }
}

TEST_F(IconTest, BackToBackInsideAnotherFileAndThePngInside)
{
    loaded.clear();
    plugins.clear();
    load({"cur", "ico", "png", "wav"});
    std::vector<Sample> all = samples();
    fill(17);
    const std::size_t first = corpus.size();
    place(all[0].file, "ico");
    // The 256-pixel image is a PNG, the directory's last entry.
    const std::size_t last = 6 + 16 * (all[0].file[4] - 1u);
    Bytes png(all[0].file.begin() + read32(all[0].file, last + 12),
              all[0].file.begin() + read32(all[0].file, last + 12) + read32(all[0].file, last + 8));
    expectInside(first, read32(all[0].file, last + 12), png, "png");
    place(all[2].file, "cur");
    place(all[1].file, "ico");
    fill(3);
    Bytes sound = SampleFiles::random(100, 4);
    sound.insert(sound.begin() + 51, all[2].file.begin(), all[2].file.end());
    std::size_t dataOffset = 0;
    const std::size_t soundStart = corpus.size();
    place(SampleFiles::wav(sound, dataOffset), "wav");
    expectInside(soundStart, dataOffset + 51, all[2].file, "cur");
    fill(9);
    EXPECT_EQ(scan(), sortedExpected());
}

TEST_F(IconTest, CutShortOrBrokenIsNotTaken)
{
    for (const Sample& sample : samples()) {
        for (std::size_t keep : {sample.file.size() - 1, sample.file.size() / 2, std::size_t{30}}) {
            corpus.clear();
            fill(7);
            placeCut(sample.file, keep);
            EXPECT_TRUE(scan().empty()) << sample.what << " cut to " << keep;
        }
        const std::size_t firstImage = read32(sample.file, 6 + 12);
        struct Break {
            const char* what;
            std::size_t at;
            unsigned char value;
        };
        const Break breaks[] = {
            {"entry offset past the end", 6 + 15, 0x40},
            {"entry size past the end", 6 + 11, 0x40},
            {"image count zero", 4, 0},
            // The first image is a DIB: its header size.
            {"image header size", firstImage, 0x29},
            {"image width", firstImage + 4, 0x7F},
        };
        for (const Break& b : breaks) {
            Bytes broken = sample.file;
            broken[b.at] = b.value;
            EXPECT_TRUE(scanAlone(broken, 3).empty()) << sample.what << ": " << b.what;
        }
    }
}

TEST_F(IconTest, BrokenPngImageIsNotTaken)
{
    Bytes file = samples()[0].file;
    const std::size_t last = 6 + 16 * (file[4] - 1u);
    const std::size_t png = read32(file, last + 12);
    ASSERT_EQ(file[png + 1], 'P');
    // IHDR's length, then the IEND that must end the entry.
    Bytes broken = file;
    broken[png + 11] = 14;
    EXPECT_TRUE(scanAlone(broken, 3).empty()) << "IHDR length";
    broken = file;
    broken[broken.size() - 8] = 'X';
    EXPECT_TRUE(scanAlone(broken, 3).empty()) << "IEND's type";
}

}

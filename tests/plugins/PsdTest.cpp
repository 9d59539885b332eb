// Photoshop documents written by ImageMagick: flat and layered, raw and RLE image data, 8 and 16
// bits, RGB, greyscale, CMYK and indexed, and the large form (PSB). Each comes back whole wherever
// it lies; cut short or with a broken structure field, nothing comes back.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Sample {
    const char* what;
    std::string command;
};

std::string picture(int seed)
{
    return "\\( " + ToolFiles::picture(31, 19, seed) + " \\)";
}

std::vector<Sample> samples()
{
    return {
        {"flat RLE", "convert " + picture(1) + " -depth 8 -compress RLE out.psd"},
        {"flat raw", "convert " + picture(2) + " -depth 8 -compress none out.psd"},
        {"16 bits RLE", "convert " + picture(3) + " -depth 16 -compress RLE out.psd"},
        {"layers RLE", "convert " + picture(4) + " " + picture(5) + " " + picture(6) + " -depth 8 -compress RLE out.psd"},
        {"greyscale", "convert " + picture(7) + " -colorspace gray -depth 8 out.psd"},
        {"CMYK", "convert " + picture(8) + " -colorspace cmyk -depth 8 out.psd"},
        {"indexed", "convert " + picture(9) + " -type palette -depth 8 out.psd"},
        {"large form RLE", "convert " + picture(10) + " " + picture(11) + " -depth 8 -compress RLE PSB:out.psd"},
    };
}

Bytes make(const Sample& sample)
{
    return ToolFiles::make(sample.command, "out.psd");
}

std::uint32_t read32(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

class PsdTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"psd"});
    }
};

TEST_F(PsdTest, EachIsRecoveredWholeAtAnOddOffset)
{
    for (const Sample& sample : samples()) {
        Bytes file = make(sample);
        std::vector<CorpusScanner::Find> finds = scanAlone(file, 1003);
        ASSERT_EQ(finds.size(), 1u) << sample.what;
        EXPECT_EQ(finds[0].offset, 1003u) << sample.what;
        EXPECT_TRUE(finds[0].bytes == file) << sample.what << ": " << finds[0].bytes.size() << " of " << file.size();
    }
}

TEST_F(PsdTest, BackToBackAndInsideAnotherFile)
{
    loaded.clear();
    plugins.clear();
    load({"psd", "wav"});
    std::vector<Sample> all = samples();
    fill(10);
    place(make(all[0]), "psd");
    place(make(all[3]), "psd");
    place(make(all[7]), "psd");
    fill(1);
    Bytes hidden = make(all[1]);
    Bytes sound = SampleFiles::random(80, 4);
    sound.insert(sound.begin() + 13, hidden.begin(), hidden.end());
    std::size_t dataOffset = 0;
    const std::size_t soundStart = corpus.size();
    place(SampleFiles::wav(sound, dataOffset), "wav");
    expectInside(soundStart, dataOffset + 13, hidden, "psd");
    fill(2);
    EXPECT_EQ(scan(), sortedExpected());
}

TEST_F(PsdTest, CutShortOrBrokenIsNotTaken)
{
    for (const Sample& sample : samples()) {
        const Bytes file = make(sample);
        for (std::size_t keep : {file.size() - 1, file.size() / 2, std::size_t{40}}) {
            corpus.clear();
            fill(3);
            placeCut(file, keep);
            EXPECT_TRUE(scan().empty()) << sample.what << " cut to " << keep;
        }
        const std::size_t resources = 26 + 4 + read32(file, 26);
        struct Break {
            const char* what;
            std::size_t at;
            unsigned char value;
        };
        const Break breaks[] = {
            {"version", 5, 3},
            {"channel count", 13, 0},
            {"depth", 23, 7},
            {"resource block length", resources + 1, 0x7F},
            {"first resource's signature", resources + 4, 'X'},
        };
        for (const Break& b : breaks) {
            Bytes broken = file;
            broken[b.at] = b.value;
            EXPECT_TRUE(scanAlone(broken, 5).empty()) << sample.what << ": " << b.what;
        }
    }
}

}

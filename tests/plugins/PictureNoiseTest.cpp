// The picture plug-ins' signatures are short (two to five bytes), so noise and the mostly-zero
// areas of disk images meet them often: none of those meetings may become a find.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"

#include <gtest/gtest.h>

namespace {

class PictureNoiseTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"arw", "bmp", "cr2", "cur", "dng", "ico", "jpeg", "nef", "orf", "png", "psd", "rw2", "tif"});
    }
};

TEST_F(PictureNoiseTest, RandomDataYieldsNothing)
{
    fill(3 * 1024 * 1024);
    EXPECT_TRUE(scan().empty());
}

// Zeros with every signature's bytes planted at random: each plant passes a detector's first
// test, and the parser must refuse what follows.
TEST_F(PictureNoiseTest, PlantedSignaturesAmongZerosYieldNothing)
{
    const Bytes signatures[] = {
        {'I', 'I', 42, 0, 8, 0, 0, 0},  {'M', 'M', 0, 42, 0, 0, 0, 8}, {'I', 'I', 43, 0, 8, 0, 0, 0},
        {'I', 'I', 'R', 'O', 8, 0, 0, 0}, {'I', 'I', 'U', 0, 0x18, 0, 0, 0}, {0, 0, 1, 0, 1, 0},
        {0, 0, 2, 0, 1, 0},             {'8', 'B', 'P', 'S', 0, 1},      {'B', 'M'},
        {0xFF, 0xD8, 0xFF, 0xFF},
    };
    Bytes noise = SampleFiles::random(1024 * 1024, 77);
    corpus.assign(1024 * 1024, 0);
    for (std::size_t at = 0; at + 64 < corpus.size(); at += 61 + noise[at] % 64) {
        const Bytes& plant = signatures[noise[at + 1] % std::size(signatures)];
        std::copy(plant.begin(), plant.end(), corpus.begin() + static_cast<long>(at));
        // A few bytes of noise after some of them, so that counts and offsets vary.
        if (noise[at + 2] % 2 == 0) {
            std::copy(noise.begin() + static_cast<long>(at), noise.begin() + static_cast<long>(at + 8),
                      corpus.begin() + static_cast<long>(at + plant.size()));
        }
    }
    EXPECT_TRUE(scan().empty());
}

}

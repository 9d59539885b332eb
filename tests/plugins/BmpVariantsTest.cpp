// Bitmaps of every header ImageMagick writes (OS/2 1.x core, Windows 3, version 5, RLE8) and
// hand-built OS/2 2.x ones, also with the file header's size left 0 or too small, as some writers
// leave it: the pixel data's own extent gives the end, and the file comes back whole.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void set32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void put16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// An OS/2 2.x bitmap (BITMAPINFOHEADER2, cut to headerSize bytes as the format allows), 24 bits
// per pixel, uncompressed, rows padded to four bytes.
Bytes os2Bitmap(std::uint32_t headerSize, std::uint32_t width, std::uint32_t height, std::uint32_t seed)
{
    const std::uint32_t rowBytes = (width * 24 + 31) / 32 * 4;
    const std::uint32_t pixelOffset = 14 + headerSize;
    Bytes out = {'B', 'M'};
    put32(out, pixelOffset + rowBytes * height);
    put32(out, 0);
    put32(out, pixelOffset);
    Bytes info;
    put32(info, headerSize);
    put32(info, width);
    put32(info, height);
    put16(info, 1);
    put16(info, 24);
    info.resize(headerSize);
    out.insert(out.end(), info.begin(), info.end());
    Bytes pixels = SampleFiles::random(rowBytes * height, seed);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

struct Sample {
    std::string what;
    Bytes file;
};

std::vector<Sample> samples()
{
    const std::string picture = "convert " + ToolFiles::picture(21, 11, 3);
    return {
        {"OS/2 1.x core header", ToolFiles::make(picture + " BMP2:out.bmp", "out.bmp")},
        {"Windows 3 header", ToolFiles::make(picture + " BMP3:out.bmp", "out.bmp")},
        {"version 5 header", ToolFiles::make(picture + " BMP:out.bmp", "out.bmp")},
        {"RLE8", ToolFiles::make(picture + " -colors 16 -compress rle BMP3:out.bmp", "out.bmp")},
        {"OS/2 2.x full header", os2Bitmap(64, 7, 5, 1)},
        {"OS/2 2.x short header", os2Bitmap(16, 9, 4, 2)},
        {"OS/2 2.x header to its compression", os2Bitmap(24, 3, 3, 4)},
    };
}

class BmpVariantsTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"bmp"});
    }

    void expectAlone(const Bytes& file, const std::string& what)
    {
        std::vector<CorpusScanner::Find> finds = scanAlone(file, 999);
        ASSERT_EQ(finds.size(), 1u) << what;
        EXPECT_EQ(finds[0].offset, 999u) << what;
        EXPECT_TRUE(finds[0].bytes == file) << what << ": " << finds[0].bytes.size() << " of " << file.size();
    }
};

TEST_F(BmpVariantsTest, EveryHeaderIsRecoveredWhole)
{
    for (const Sample& sample : samples()) {
        expectAlone(sample.file, sample.what);
    }
}

TEST_F(BmpVariantsTest, FileSizeZeroOrTooSmallGivesWayToThePixelData)
{
    for (const Sample& sample : samples()) {
        for (std::uint32_t size : {0u, 60u}) {
            Bytes file = sample.file;
            set32(file, 2, size);
            expectAlone(file, sample.what + ", file size " + std::to_string(size));
            corpus.clear();
            fill(5);
            placeCut(file, file.size() - 1);
            EXPECT_TRUE(scan().empty()) << sample.what << " cut short, file size " << size;
        }
    }
}

TEST_F(BmpVariantsTest, BackToBackWithoutFileSizes)
{
    fill(13);
    for (const Sample& sample : samples()) {
        Bytes file = sample.file;
        set32(file, 2, 0);
        place(file, "bmp");
    }
    fill(13);
    EXPECT_EQ(scan(), sortedExpected());
}

}

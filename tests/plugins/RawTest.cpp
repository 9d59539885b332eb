// Camera raw files, hand-built small from the TIFF structure each maker's format follows, found
// under their own kinds by the plug-ins that load before the plain TIFF one, wherever they lie.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Tiffbuilder.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using T = TiffBuilder;

enum Tag : std::uint16_t {
    newSubfileType = 0x00FE,
    imageWidth = 0x0100,
    imageLength = 0x0101,
    bitsPerSample = 0x0102,
    compression = 0x0103,
    photometric = 0x0106,
    make = 0x010F,
    model = 0x0110,
    subIfds = 0x014A,
    cfaRepeatPatternDim = 0x828D,
    cfaPattern = 0x828E,
    exifIfd = 0x8769,
    makerNote = 0x927C,
    dngVersion = 0xC612,
    panasonicJpeg = 0x002E,
};

// The picture part of an IFD: its size, sample layout and how the data is stored.
void describe(TiffBuilder& b, std::size_t d, std::uint64_t width, std::uint64_t height, std::uint64_t bits,
              std::uint64_t compressionValue, std::uint64_t photometricValue)
{
    b.add(d, imageWidth, T::longType, {width});
    b.add(d, imageLength, T::longType, {height});
    b.add(d, bitsPerSample, T::shortType, {bits});
    b.add(d, compression, T::shortType, {compressionValue});
    b.add(d, photometric, T::shortType, {photometricValue});
}

void sensor(TiffBuilder& b, std::size_t d, std::uint32_t seed, std::size_t strips)
{
    describe(b, d, 16, 8, 16, 1, 32803);
    b.add(d, cfaRepeatPatternDim, T::shortType, {2, 2});
    b.addBytes(d, cfaPattern, {0, 1, 1, 2});
    std::vector<Bytes> pieces;
    for (std::size_t i = 0; i < strips; ++i) {
        pieces.push_back(SampleFiles::random(16 * 8 * 2 / strips, seed + static_cast<std::uint32_t>(i)));
    }
    b.addStrips(d, pieces);
}

void exif(TiffBuilder& b, std::size_t from, const Bytes& note)
{
    const std::size_t e = b.directory(false);
    b.add(e, 0x829A, T::rational, {1, 250});
    b.addText(e, 0x9003, "2026:01:02 03:04:05");
    if (!note.empty()) {
        b.addBytes(e, makerNote, note);
    }
    b.addPointers(from, exifIfd, {e});
}

Bytes dng(bool bigEndian)
{
    TiffBuilder b(bigEndian);
    const std::size_t first = b.directory();
    b.add(first, newSubfileType, T::longType, {1});
    describe(b, first, 4, 4, 8, 1, 1);
    b.addStrips(first, {SampleFiles::random(16, 1)});
    b.addText(first, make, "Glintcam");
    b.addText(first, model, "Model One");
    b.addBytes(first, dngVersion, {1, 4, 0, 0});
    const std::size_t raw = b.directory(false);
    b.add(raw, newSubfileType, T::longType, {0});
    sensor(b, raw, 2, 2);
    b.addPointers(first, subIfds, {raw});
    exif(b, first, {});
    return b.build();
}

Bytes cr2()
{
    TiffBuilder b(false);
    const std::size_t first = b.directory();
    describe(b, first, 8, 4, 8, 6, 2);
    b.addStrips(first, {SampleFiles::random(300, 3)});
    b.addText(first, make, "Canon");
    exif(b, first, SampleFiles::random(99, 4));
    const std::size_t thumbnail = b.directory();
    b.addStrips(thumbnail, {SampleFiles::random(120, 5)});
    const std::size_t rgb = b.directory();
    describe(b, rgb, 4, 2, 16, 1, 2);
    b.addStrips(rgb, {SampleFiles::random(48, 6)});
    const std::size_t raw = b.directory();
    b.add(raw, compression, T::shortType, {6});
    b.addStrips(raw, {SampleFiles::random(777, 7)});
    // "CR", major version 2, minor version 0, then the raw IFD's offset.
    b.setHeaderFields({'C', 'R', 2, 0, 0, 0, 0, 0}, 4, raw);
    return b.build();
}

// A Nikon or Sony raw: a preview in IFD0, the sensor data in a sub-IFD under the maker's own
// compression, the maker note in the EXIF IFD.
Bytes makerRaw(bool bigEndian, const std::string& makeText, std::uint64_t makerCompression, std::uint32_t seed)
{
    TiffBuilder b(bigEndian);
    const std::size_t first = b.directory();
    describe(b, first, 8, 6, 8, 1, 2);
    b.addStrips(first, {SampleFiles::random(144, seed)});
    b.addText(first, make, makeText);
    const std::size_t raw = b.directory(false);
    sensor(b, raw, seed + 1, 4);
    b.add(raw, compression, T::shortType, {makerCompression});
    b.addPointers(first, subIfds, {raw});
    exif(b, first, SampleFiles::random(61, seed + 9));
    return b.build();
}

Bytes orf(bool rs)
{
    TiffBuilder b(false, rs ? 0x5352 : 0x4F52);
    const std::size_t first = b.directory();
    b.addText(first, make, "OLYMPUS IMAGING CORP.");
    sensor(b, first, 21, 1);
    exif(b, first, SampleFiles::random(40, 22));
    return b.build();
}

Bytes rw2()
{
    // IFD0 at 0x18, after the 16 bytes of the maker's own header fields.
    TiffBuilder b(false, 0x55, 16);
    const std::size_t first = b.directory();
    b.addText(first, make, "Panasonic");
    b.addStrips(first, {SampleFiles::random(512, 31)});
    b.addBytes(first, panasonicJpeg, SampleFiles::jpeg(8, 8, 32));
    return b.build();
}

struct Raw {
    const char* kind;
    Bytes file;
};

std::vector<Raw> raws()
{
    return {
        {"dng", dng(false)},
        {"dng", dng(true)},
        {"cr2", cr2()},
        {"nef", makerRaw(true, "NIKON CORPORATION", 34713, 41)},
        {"nef", makerRaw(false, "NIKON CORPORATION", 1, 43)},
        {"arw", makerRaw(false, "SONY", 32767, 51)},
        {"orf", orf(false)},
        {"orf", orf(true)},
        {"rw2", rw2()},
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
    Bytes hidden = cr2();
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

// TIFF pictures written by ImageMagick (both byte orders, strips and tiles, several pages, BigTIFF)
// and given EXIF and GPS IFDs by exiftool: each comes back whole wherever it lies, and nothing
// comes back of one that is cut short, broken, or only the EXIF block of another file.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Sample {
    const char* name;
    std::string command;
};

std::string picture(int seed)
{
    return ToolFiles::picture(37, 23, seed);
}

const std::string withExif = " && exiftool -q -overwrite_original -Artist=glintfetch -DateTimeOriginal='2026:01:02 03:04:05' "
                             "-GPSLatitude=35.5 -GPSLatitudeRef=N -GPSAltitude=12 out.tif";

std::vector<Sample> samples()
{
    return {
        {"little_endian_uncompressed", "convert " + picture(1) + " -define tiff:endian=lsb -compress none out.tif"},
        {"big_endian_lzw", "convert " + picture(2) + " -define tiff:endian=msb -compress lzw out.tif"},
        {"tiles", "convert " + picture(3) + " -define tiff:tile-geometry=16x16 -compress zip out.tif"},
        {"two_pages", "convert \\( " + picture(4) + " \\) \\( " + picture(5) + " \\) -define tiff:endian=msb out.tif"},
        {"bigtiff_little_endian", "convert " + picture(6) + " -define tiff:endian=lsb TIFF64:out.tif"},
        {"bigtiff_big_endian_tiles",
         "convert " + picture(7) + " -define tiff:endian=msb -define tiff:tile-geometry=16x16 TIFF64:out.tif"},
        {"exif_and_gps_little_endian", "convert " + picture(8) + " -define tiff:endian=lsb out.tif" + withExif},
        {"exif_and_gps_big_endian", "convert " + picture(9) + " -define tiff:endian=msb -compress lzw out.tif" + withExif},
    };
}

Bytes make(const Sample& sample)
{
    return ToolFiles::make(sample.command, "out.tif");
}

class TiffTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"tif"});
    }
};

TEST_F(TiffTest, EachSampleAloneIsRecoveredExactlyAtAnOddOffset)
{
    for (const Sample& sample : samples()) {
        Bytes file = make(sample);
        std::vector<CorpusScanner::Find> finds = scanAlone(file, 1001);
        ASSERT_EQ(finds.size(), 1u) << sample.name;
        EXPECT_EQ(finds[0].offset, 1001u) << sample.name;
        EXPECT_EQ(finds[0].kind, "tif") << sample.name;
        EXPECT_TRUE(finds[0].bytes == file) << sample.name << ": " << finds[0].bytes.size() << " of " << file.size();
    }
}

TEST_F(TiffTest, BackToBackAndInsideAnotherFile)
{
    loaded.clear();
    plugins.clear();
    load({"tif", "wav"});
    std::vector<Sample> all = samples();
    fill(333);
    place(make(all[0]), "tif");
    place(make(all[4]), "tif");
    place(make(all[1]), "tif");
    fill(64);
    Bytes hidden = make(all[6]);
    Bytes sound = SampleFiles::random(700, 3);
    sound.insert(sound.begin() + 33, hidden.begin(), hidden.end());
    std::size_t dataOffset = 0;
    std::size_t soundStart = corpus.size();
    place(SampleFiles::wav(sound, dataOffset), "wav");
    expectInside(soundStart, dataOffset + 33, hidden, "tif");
    fill(5);
    EXPECT_EQ(scan(), sortedExpected());
}

TEST_F(TiffTest, FileCutShortIsNotTaken)
{
    for (const Sample& sample : samples()) {
        Bytes file = make(sample);
        for (std::size_t keep : {file.size() - 1, file.size() / 2, std::size_t{12}}) {
            corpus.clear();
            fill(11);
            placeCut(file, keep);
            EXPECT_TRUE(scan().empty()) << sample.name << " cut to " << keep;
        }
    }
}

// Where IFD0 begins and how many entries it has, read as the file's byte order says.
std::size_t firstDirectory(const Bytes& file)
{
    if (file[0] == 'M') {
        return std::size_t{file[4]} << 24 | std::size_t{file[5]} << 16 | std::size_t{file[6]} << 8 | file[7];
    }
    return file[4] | file[5] << 8 | file[6] << 16 | std::size_t{file[7]} << 24;
}

TEST_F(TiffTest, BrokenStructureIsNotTaken)
{
    std::vector<Sample> all = samples();
    for (std::size_t which : {0u, 1u, 6u}) {
        const Bytes file = make(all[which]);
        const std::size_t directory = firstDirectory(file);
        const bool big = file[0] == 'M';
        struct Break {
            const char* what;
            std::vector<std::pair<std::size_t, unsigned char>> bytes;
        };
        const Break breaks[] = {
            {"first IFD offset past the end", {{big ? 4u : 7u, 0x7F}}},
            {"entry count zero", {{directory, 0}, {directory + 1, 0}}},
            // The first entry's count made enormous: its values would lie past the end.
            {"first entry's count", {{directory + 2 + (big ? 4 : 7), 0x7F}}},
            {"first IFD offset zero", {{4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        };
        for (const Break& b : breaks) {
            Bytes broken = file;
            for (const auto& [at, value] : b.bytes) {
                broken[at] = value;
            }
            std::vector<CorpusScanner::Find> finds = scanAlone(broken, 7);
            EXPECT_TRUE(finds.empty()) << all[which].name << ": " << b.what;
        }
    }
}

TEST_F(TiffTest, ExifBlockOfAJpegIsNotAPicture)
{
    Bytes photo = ToolFiles::make("convert " + picture(10) +
                                      " out.jpg && exiftool -q -overwrite_original -Make=Glintfetch -Artist=someone "
                                      "-GPSLatitude=1.5 -GPSLatitudeRef=S out.jpg",
                                  "out.jpg");
    ASSERT_NE(std::search(photo.begin(), photo.end(), std::begin("Exif"), std::end("Exif") - 1), photo.end());
    EXPECT_TRUE(scanAlone(photo, 3).empty());
}

}

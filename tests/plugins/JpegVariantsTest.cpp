// JPEG files as real writers make them beyond the baseline: progressive and restart-marked ones
// from cjpeg, fill bytes before markers, JPEG-LS from CharLS, and an EXIF thumbnail that exiftool
// puts inside a photo. Each comes back whole; the thumbnail also on its own.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <charls/charls.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The start of a command line that pipes a picture into cjpeg.
std::string ppm(int seed)
{
    return "convert " + ToolFiles::picture(41, 27, seed) + " ppm:- | ";
}

// Grey or RGB samples, encoded losslessly by CharLS; with three components and no interleaving
// the file holds one scan per component.
Bytes jpegLs(int components, std::uint32_t seed)
{
    const std::uint32_t width = 23;
    const std::uint32_t height = 17;
    Bytes samples = SampleFiles::random(width * height * static_cast<std::uint32_t>(components), seed);
    // Smooth the noise a little so that runs and regular samples both occur.
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (i % 3 != 0) {
            samples[i] = samples[i - 1];
        }
    }
    // The JPEG-LS parameters segment (LSE) too, as CharLS writes it by request.
    return charls::jpegls_encoder::encode(samples, charls::frame_info{width, height, 8, components},
                                          charls::interleave_mode::none,
                                          charls::encoding_options::include_pc_parameters_jai);
}

// Where the segments before the first scan begin (their markers), SOS included.
std::vector<std::size_t> headerMarkers(const Bytes& jpeg)
{
    std::vector<std::size_t> markers;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        markers.push_back(at);
        if (jpeg[at + 1] == 0xDA) {
            break;
        }
        at += 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
    }
    return markers;
}

// Fill bytes before every marker up to the first scan, and before EOI, as T.81 allows.
Bytes withFillBytes(const Bytes& jpeg, std::size_t count)
{
    std::vector<std::size_t> markers = headerMarkers(jpeg);
    markers.push_back(jpeg.size() - 2);
    Bytes out = jpeg;
    for (auto at = markers.rbegin(); at != markers.rend(); ++at) {
        out.insert(out.begin() + static_cast<long>(*at), count, 0xFF);
    }
    return out;
}

class JpegVariantsTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"jpeg"});
    }

    void expectAlone(const Bytes& file, const std::string& what)
    {
        std::vector<CorpusScanner::Find> finds = scanAlone(file, 1001);
        ASSERT_EQ(finds.size(), 1u) << what;
        EXPECT_EQ(finds[0].offset, 1001u) << what;
        EXPECT_TRUE(finds[0].bytes == file) << what << ": " << finds[0].bytes.size() << " of " << file.size();
    }
};

TEST_F(JpegVariantsTest, WritersVariantsAreRecoveredWhole)
{
    struct Case {
        const char* what;
        std::string command;
    };
    const Case cases[] = {
        {"progressive", ppm(1) + "cjpeg -progressive -outfile out.jpg"},
        {"restart every block", ppm(2) + "cjpeg -restart 1B -outfile out.jpg"},
        {"restart every row, progressive", ppm(3) + "cjpeg -restart 1 -progressive -outfile out.jpg"},
        {"arithmetic coding", ppm(4) + "cjpeg -arithmetic -restart 2B -outfile out.jpg"},
        {"restart markers added by jpegtran", ppm(5) + "cjpeg -outfile in.jpg && jpegtran -restart 1B -outfile out.jpg in.jpg"},
    };
    for (const Case& c : cases) {
        expectAlone(ToolFiles::make(c.command, "out.jpg"), c.what);
    }
}

TEST_F(JpegVariantsTest, FillBytesBeforeMarkersAreRecoveredWhole)
{
    Bytes file = withFillBytes(ToolFiles::make(ppm(7) + "cjpeg -restart 1B -outfile out.jpg", "out.jpg"), 3);
    ASSERT_EQ(file[2], 0xFF);
    ASSERT_EQ(file[3], 0xFF);
    // A real decoder reads it as it stands.
    ToolFiles::make("djpeg -outfile out.ppm in.jpg", "in.jpg", file, "out.ppm");
    expectAlone(file, "fill bytes");
}

TEST_F(JpegVariantsTest, JpegLsFramesAreRecoveredWhole)
{
    for (int components : {1, 3}) {
        Bytes file = jpegLs(components, static_cast<std::uint32_t>(components));
        const unsigned char frameMarker[] = {0xFF, 0xF7};
        ASSERT_NE(std::search(file.begin(), file.end(), std::begin(frameMarker), std::end(frameMarker)), file.end());
        expectAlone(file, std::to_string(components) + " components");
        Bytes filled = withFillBytes(file, 2);
        expectAlone(filled, std::to_string(components) + " components with fill bytes");
        corpus.clear();
        fill(3);
        placeCut(file, file.size() - 1);
        EXPECT_TRUE(scan().empty()) << "cut JPEG-LS";
    }
}

TEST_F(JpegVariantsTest, ExifThumbnailIsFoundOnItsOwnAsWell)
{
    Bytes thumbnail = ToolFiles::make("convert " + ToolFiles::picture(12, 9, 8) + " ppm:- | cjpeg -outfile thumb.jpg",
                                      "thumb.jpg");
    Bytes photo = ToolFiles::make(ppm(9) + "cjpeg -outfile out.jpg && exiftool -q -overwrite_original -Make=Glintcam "
                                           "'-ThumbnailImage<=thumb.jpg' out.jpg",
                                  "thumb.jpg", thumbnail, "out.jpg");
    auto at = std::search(photo.begin(), photo.end(), thumbnail.begin(), thumbnail.end());
    ASSERT_NE(at, photo.end());
    fill(77);
    place(photo, "jpg");
    expectInside(77, static_cast<std::size_t>(at - photo.begin()), thumbnail, "jpg");
    fill(21);
    EXPECT_EQ(scan(), sortedExpected());
}

}

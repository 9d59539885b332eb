// The corpus is only worth something if its files are real: Qt's decoders must read every picture.

#include "tests/plugins/Samplefiles.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage decode(const Bytes& bytes, const char* format)
{
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), format);
}

TEST(SampleFiles, PicturesDecodeWithTheirSize)
{
    struct Case {
        const char* format;
        Bytes bytes;
    };
    const Case cases[] = {
        {"PNG", SampleFiles::png(40, 30, 1)},
        {"JPEG", SampleFiles::jpeg(40, 30, 2)},
        {"BMP", SampleFiles::bmp(40, 30, 3)},
        {"GIF", SampleFiles::gif(40, 30, 4)},
    };
    for (const Case& c : cases) {
        QImage image = decode(c.bytes, c.format);
        EXPECT_EQ(image.width(), 40) << c.format;
        EXPECT_EQ(image.height(), 30) << c.format;
    }
}

TEST(SampleFiles, ThumbnailIsAWholeJpegInsideTheOuterOne)
{
    Bytes thumbnail = SampleFiles::jpeg(16, 16, 5);
    std::size_t offset = 0;
    Bytes outer = SampleFiles::jpegWithThumbnail(64, 48, 6, thumbnail, offset);
    EXPECT_EQ(decode(outer, "JPEG").width(), 64);
    ASSERT_LE(offset + thumbnail.size(), outer.size());
    EXPECT_TRUE(std::equal(thumbnail.begin(), thumbnail.end(), outer.begin() + static_cast<long>(offset)));
}

TEST(SampleFiles, SameSeedSameBytes)
{
    EXPECT_EQ(SampleFiles::gif(20, 20, 7), SampleFiles::gif(20, 20, 7));
    EXPECT_EQ(SampleFiles::png(20, 20, 7), SampleFiles::png(20, 20, 7));
    EXPECT_NE(SampleFiles::random(100, 1), SampleFiles::random(100, 2));
}

}

#include "tests/plugins/Rawsamples.h"

#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Tiffbuilder.h"

#include <cstdint>
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

}

Bytes RawSamples::dng(bool bigEndian)
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

Bytes RawSamples::cr2()
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
Bytes RawSamples::makerRaw(bool bigEndian, const std::string& makeText, std::uint64_t makerCompression, std::uint32_t seed)
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

Bytes RawSamples::orf(bool rs)
{
    TiffBuilder b(false, rs ? 0x5352 : 0x4F52);
    const std::size_t first = b.directory();
    b.addText(first, make, "OLYMPUS IMAGING CORP.");
    sensor(b, first, 21, 1);
    exif(b, first, SampleFiles::random(40, 22));
    return b.build();
}

Bytes RawSamples::rw2()
{
    // IFD0 at 0x18, after the 16 bytes of the maker's own header fields.
    TiffBuilder b(false, 0x55, 16);
    const std::size_t first = b.directory();
    b.addText(first, make, "Panasonic");
    b.addStrips(first, {SampleFiles::random(512, 31)});
    b.addBytes(first, panasonicJpeg, SampleFiles::jpeg(8, 8, 32));
    return b.build();
}

#include "plugins/bmp/Bmpparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>

namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;
// The largest information header known (BITMAPV5HEADER), all of which the parser may read.
constexpr std::uint32_t largestHeaderSize = 124;
constexpr std::uint32_t v5HeaderSize = 124;
// The colour space type 'MBED': the profile lies in the file, at the offset the header gives.
constexpr std::uint32_t profileEmbedded = 0x4D424544;

enum Compression : std::uint32_t {
    rgb = 0,
    rle8 = 1,
    rle4 = 2,
    bitFields = 3,
    jpeg = 4,
    png = 5,
    alphaBitFields = 6,
};

// OS/2 2.x gives two of Windows' codes other meanings.
enum Os2Compression : std::uint32_t {
    huffman1D = 3,
    rle24 = 4,
};

bool isWindowsHeaderSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// OS/2 2.x's BITMAPINFOHEADER2 may stop after any of its fields, from the bit count (16 bytes) to
// its whole 64; its fields sit where Windows' do.
bool isOs2HeaderSize(std::uint32_t size)
{
    return size >= 16 && size <= 64 && size % 2 == 0 && !isWindowsHeaderSize(size);
}

bool isKnownBitCount(std::uint16_t bits)
{
    switch (bits) {
    case 0: case 1: case 2: case 4: case 8: case 16: case 24: case 32: case 64:
        return true;
    default:
        return false;
    }
}

struct Header {
    std::uint32_t fileSize;
    std::uint32_t pixelOffset;
    std::uint32_t infoSize;
    std::int64_t width;
    std::int64_t height;
    std::uint16_t planes;
    std::uint16_t bitCount;
};

Header readHeader(const unsigned char* data)
{
    Header header{};
    header.fileSize = littleEndian32(data + 2);
    header.pixelOffset = littleEndian32(data + 10);
    header.infoSize = littleEndian32(data + 14);
    if (header.infoSize == coreHeaderSize) {
        header.width = littleEndian16(data + 18);
        header.height = littleEndian16(data + 20);
        header.planes = littleEndian16(data + 22);
        header.bitCount = littleEndian16(data + 24);
    } else {
        header.width = static_cast<std::int32_t>(littleEndian32(data + 18));
        header.height = static_cast<std::int32_t>(littleEndian32(data + 22));
        header.planes = littleEndian16(data + 26);
        header.bitCount = littleEndian16(data + 28);
    }
    return header;
}

// The checks that the first windowSize bytes allow. The file size is not among them: writers
// leave it 0, or too small, often enough that the pixel data's own extent must stand in for it.
bool isPlausible(const Header& header)
{
    const bool knownSize = header.infoSize == coreHeaderSize || isWindowsHeaderSize(header.infoSize) ||
                           isOs2HeaderSize(header.infoSize);
    return knownSize && header.pixelOffset >= fileHeaderSize + header.infoSize && header.width > 0 &&
           header.height != 0 && header.planes == 1 && isKnownBitCount(header.bitCount);
}

}

const SignatureSet& BmpParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, "BM");
    return set;
}

bool BmpParser::detect(const unsigned char* data)
{
    if (loadWord16(data) != magic16('B', 'M')) {
        return false;
    }
    return isPlausible(readHeader(data));
}

std::uint64_t BmpParser::measure(ByteCursor& input)
{
    unsigned char data[fileHeaderSize + largestHeaderSize] = {};
    if (!input.read(data, windowSize) || data[0] != 'B' || data[1] != 'M') {
        return 0;
    }
    Header header = readHeader(data);
    if (!isPlausible(header)) {
        return 0;
    }
    const bool os2 = isOs2HeaderSize(header.infoSize);
    if (header.infoSize > windowSize - fileHeaderSize &&
        !input.read(data + windowSize, fileHeaderSize + header.infoSize - windowSize)) {
        return 0;
    }
    // Headers too short to hold them mean no compression and no stated size.
    const std::uint32_t compression = header.infoSize >= 20 ? littleEndian32(data + 30) : rgb;
    const std::uint32_t imageSize = header.infoSize >= 24 ? littleEndian32(data + 34) : 0;
    const std::uint64_t rows = static_cast<std::uint64_t>(header.height < 0 ? -header.height : header.height);
    std::uint64_t pixelBytes = 0;
    const bool uncompressed =
        compression == rgb || (!os2 && (compression == bitFields || compression == alphaBitFields));
    if (uncompressed) {
        if (header.bitCount == 0) {
            return 0;
        }
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(header.width) * header.bitCount + 31) / 32 * 4;
        // Keeps the product below from overflowing; such rows could not fit anyway.
        if (rowBytes > input.limit() / rows) {
            return 0;
        }
        pixelBytes = rowBytes * rows;
    } else if (compression == rle8 || compression == rle4 ||
               (os2 ? compression == huffman1D || compression == rle24 : compression == jpeg || compression == png)) {
        // The data's own size lies in the header; without it the end cannot be known.
        if (imageSize == 0) {
            return 0;
        }
        pixelBytes = imageSize;
    } else {
        return 0;
    }
    std::uint64_t structureEnd = std::uint64_t{header.pixelOffset} + pixelBytes;
    // A version 5 header may place an ICC profile after the pixels.
    if (header.infoSize == v5HeaderSize && littleEndian32(data + fileHeaderSize + 56) == profileEmbedded) {
        const std::uint64_t profileEnd = std::uint64_t{fileHeaderSize} + littleEndian32(data + fileHeaderSize + 112) +
                                         littleEndian32(data + fileHeaderSize + 116);
        structureEnd = std::max(structureEnd, profileEnd);
    }
    // The file header's size, where it holds the whole structure, also covers what a writer put
    // after it; a size of 0, or one too small, gives way to the structure's own end.
    const std::uint64_t end = header.fileSize >= structureEnd ? header.fileSize : structureEnd;
    return input.hasBytes(end) ? end : 0;
}

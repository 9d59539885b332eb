#include "plugins/bmp/Bmpparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstdlib>

namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;
// The largest information header known (BITMAPV5HEADER) and what the parser reads of one.
constexpr std::uint32_t largestHeaderSize = 124;
constexpr std::uint32_t fieldsRead = fileHeaderSize + 40;

enum Compression : std::uint32_t {
    rgb = 0,
    rle8 = 1,
    rle4 = 2,
    bitFields = 3,
    jpeg = 4,
    png = 5,
    alphaBitFields = 6,
};

bool isKnownHeaderSize(std::uint32_t size)
{
    switch (size) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124:
        return true;
    default:
        return false;
    }
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

// The checks that the first windowSize bytes allow.
bool isPlausible(const Header& header)
{
    return isKnownHeaderSize(header.infoSize) && header.pixelOffset >= fileHeaderSize + header.infoSize &&
           header.fileSize > header.pixelOffset && header.width > 0 && header.height != 0 &&
           header.planes == 1 && isKnownBitCount(header.bitCount);
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
    unsigned char data[fieldsRead] = {};
    if (!input.read(data, windowSize) || data[0] != 'B' || data[1] != 'M') {
        return 0;
    }
    Header header = readHeader(data);
    if (!isPlausible(header) || header.infoSize > largestHeaderSize) {
        return 0;
    }
    std::uint32_t compression = rgb;
    if (header.infoSize >= 40) {
        if (!input.read(data + windowSize, fieldsRead - windowSize)) {
            return 0;
        }
        compression = littleEndian32(data + 30);
    }
    std::uint64_t pixelBytes = 0;
    switch (compression) {
    case rgb:
    case bitFields:
    case alphaBitFields: {
        if (header.bitCount == 0) {
            return 0;
        }
        std::uint64_t rowBytes = (static_cast<std::uint64_t>(header.width) * header.bitCount + 31) / 32 * 4;
        // Keeps the product below from overflowing; such a row could not fit anyway.
        if (rowBytes > header.fileSize) {
            return 0;
        }
        pixelBytes = rowBytes * static_cast<std::uint64_t>(std::llabs(header.height));
        break;
    }
    case rle8:
    case rle4:
    case jpeg:
    case png:
        // The data's own size lies in the header; only that it fits can be checked.
        pixelBytes = littleEndian32(data + 34);
        break;
    default:
        return 0;
    }
    if (header.pixelOffset + pixelBytes > header.fileSize) {
        return 0;
    }
    return input.hasBytes(header.fileSize) ? header.fileSize : 0;
}

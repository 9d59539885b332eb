#include "plugins/7z/Sevenzipparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <zlib.h>

#include <cstring>

namespace {

const unsigned char signature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
// The first byte of a next header: a plain header, or one packed as a stream of its own.
constexpr unsigned char propertyHeader = 0x01;
constexpr unsigned char propertyEncodedHeader = 0x17;

std::uint64_t littleEndian64(const unsigned char* data)
{
    return std::uint64_t{littleEndian32(data)} | std::uint64_t{littleEndian32(data + 4)} << 32;
}

std::uint32_t crcOf(const unsigned char* data, std::size_t length)
{
    return static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), data, static_cast<uInt>(length)));
}

}

const SignatureSet& SevenZipParser::signatures()
{
    // The signature and major version 0.
    static const SignatureSet set = SignatureSet().add(0, {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0x00});
    return set;
}

bool SevenZipParser::detect(const unsigned char* data)
{
    // The start header's CRC-32 rules out all but real signature headers at the cost of 20 bytes.
    return std::memcmp(data, signature, sizeof signature) == 0 && data[6] == 0 &&
           littleEndian32(data + 8) == crcOf(data + 12, 20);
}

std::uint64_t SevenZipParser::measure(ByteCursor& input)
{
    unsigned char header[signatureHeaderSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    const std::uint64_t nextOffset = littleEndian64(header + 12);
    const std::uint64_t nextSize = littleEndian64(header + 20);
    const std::uint32_t nextCrc = littleEndian32(header + 28);
    if (nextSize == 0 || nextOffset > input.limit() || nextSize > input.limit()) {
        return 0;
    }
    if (!input.skip(nextOffset) || !input.hasBytes(input.position() + nextSize)) {
        return 0;
    }
    unsigned char first = 0;
    if (!input.peek(input.position(), &first, 1) ||
        (first != propertyHeader && first != propertyEncodedHeader)) {
        return 0;
    }
    uLong crc = crc32(0, Z_NULL, 0);
    if (!input.consume(nextSize, [&crc](const unsigned char* data, std::size_t length) {
            crc = crc32(crc, data, static_cast<uInt>(length));
        })) {
        return 0;
    }
    return static_cast<std::uint32_t>(crc) == nextCrc ? input.position() : 0;
}

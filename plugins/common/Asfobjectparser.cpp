#include "plugins/common/Asfobjectparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

using Guid = unsigned char[16];

// The object identifiers as they lie in the file (their first three fields little-endian).
const Guid headerObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                           0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Guid dataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                         0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Guid streamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Guid audioStream = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                          0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
const Guid videoStream = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                          0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
const Guid indexObjects[] = {
    // Simple index, index, media object index, timecode index.
    {0x90, 0x08, 0x00, 0x33, 0xB1, 0xE5, 0xCF, 0x11, 0x89, 0xF4, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xCB},
    {0xD3, 0x29, 0xE2, 0xD6, 0xDA, 0x35, 0xD1, 0x11, 0x90, 0x34, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xBE},
    {0xF8, 0x03, 0xB1, 0xFE, 0xAD, 0x12, 0x64, 0x4C, 0x84, 0x0F, 0x2A, 0x1D, 0x2F, 0x7A, 0xD4, 0x8C},
    {0xD0, 0x3F, 0xB7, 0x3C, 0x4A, 0x0C, 0x03, 0x48, 0x95, 0x3D, 0xED, 0xF7, 0xB6, 0x22, 0x8F, 0x0C},
};

constexpr std::uint64_t objectHeaderSize = 24;
// The header object's own fields: its object count and two reserved bytes.
constexpr std::uint64_t headerFields = 6;
// The data object's file identifier, packet count and reserved bytes.
constexpr std::uint64_t dataFields = 26;

bool same(const unsigned char* bytes, const Guid& guid)
{
    return std::memcmp(bytes, guid, sizeof(Guid)) == 0;
}

std::uint64_t littleEndian64(const unsigned char* data)
{
    return std::uint64_t{littleEndian32(data + 4)} << 32 | littleEndian32(data);
}

bool isIndex(const unsigned char* guid)
{
    for (const Guid& index : indexObjects) {
        if (same(guid, index)) {
            return true;
        }
    }
    return false;
}

}

AsfObjectParser::AsfObjectParser(Kind wanted) : wanted(wanted)
{
}

const SignatureSet& AsfObjectParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6,
                                                           0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
    return set;
}

bool AsfObjectParser::detect(const unsigned char* data)
{
    if (!same(data, headerObject)) {
        return false;
    }
    // Room for the header's fields and one object, and the two reserved bytes fixed by the format.
    const std::uint64_t size = littleEndian64(data + 16);
    return size >= objectHeaderSize + headerFields + objectHeaderSize && data[28] == 0x01 && data[29] == 0x02;
}

std::uint64_t AsfObjectParser::measure(ByteCursor& input)
{
    unsigned char start[objectHeaderSize + headerFields];
    if (!input.read(start, sizeof start) || !detect(start)) {
        return 0;
    }
    const std::uint64_t headerSize = littleEndian64(start + 16);
    Kind kind = Kind::other;
    if (headerSize > input.limit() || !readHeader(input, headerSize, littleEndian32(start + 24), kind) || kind != wanted) {
        return 0;
    }
    unsigned char data[objectHeaderSize + dataFields];
    if (!input.seek(headerSize) || !input.read(data, sizeof data) || !same(data, dataObject) ||
        data[objectHeaderSize + dataFields - 2] != 0x01 || data[objectHeaderSize + dataFields - 1] != 0x01) {
        return 0;
    }
    const std::uint64_t dataSize = littleEndian64(data + 16);
    if (dataSize < sizeof data || dataSize > input.limit() - headerSize) {
        return 0;
    }
    std::uint64_t position = headerSize + dataSize;
    // Index objects follow the data; the file ends after the last of them. Their headers are
    // peeked, as they may lie past the size window while the file would not fit it.
    for (;;) {
        unsigned char object[objectHeaderSize];
        if (input.inputLength() - position < sizeof object || !input.peek(position, object, sizeof object) ||
            !isIndex(object)) {
            break;
        }
        const std::uint64_t size = littleEndian64(object + 16);
        if (size < sizeof object || size > input.limit() - position) {
            return 0;
        }
        position += size;
    }
    return input.hasBytes(position) ? position : 0;
}

bool AsfObjectParser::readHeader(ByteCursor& input, std::uint64_t size, std::uint32_t count, Kind& kind)
{
    bool video = false;
    bool audio = false;
    std::uint32_t found = 0;
    std::uint64_t position = objectHeaderSize + headerFields;
    while (position < size) {
        unsigned char object[objectHeaderSize + 16];
        if (size - position < objectHeaderSize || !input.seek(position) || !input.read(object, objectHeaderSize)) {
            return false;
        }
        const std::uint64_t objectSize = littleEndian64(object + 16);
        if (objectSize < objectHeaderSize || objectSize > size - position) {
            return false;
        }
        if (same(object, streamProperties)) {
            if (objectSize < objectHeaderSize + 16 || !input.read(object + objectHeaderSize, 16)) {
                return false;
            }
            video = video || same(object + objectHeaderSize, videoStream);
            audio = audio || same(object + objectHeaderSize, audioStream);
        }
        position += objectSize;
        ++found;
    }
    if (found != count) {
        return false;
    }
    kind = video ? Kind::video : audio ? Kind::audio : Kind::other;
    return true;
}

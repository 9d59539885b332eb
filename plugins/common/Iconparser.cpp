#include "plugins/common/Iconparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t headerSize = 6;
constexpr std::size_t entrySize = 16;
// More than any icon editor writes; a larger count is garbage.
constexpr std::uint16_t largestCount = 512;

const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The entry's sizes: 0 stands for 256.
std::uint32_t pixels(unsigned char value)
{
    return value == 0 ? 256 : value;
}

// Checks the fields of one directory entry that need nothing else.
bool isPlausibleEntry(const unsigned char* entry, IconParser::Type type, std::uint64_t directoryEnd)
{
    const std::uint16_t planes = littleEndian16(entry + 4);
    const std::uint16_t bits = littleEndian16(entry + 6);
    const std::uint32_t size = littleEndian32(entry + 8);
    const std::uint32_t offset = littleEndian32(entry + 12);
    // An icon's planes and bit count are 0 or 1 and a bitmap depth; a cursor has its hot spot there.
    const bool fields = type == IconParser::cursor || (planes <= 1 && bits <= 32);
    return entry[3] == 0 && fields && size >= 40 && offset >= directoryEnd;
}

}

bool IconParser::detect(const unsigned char* data, Type type)
{
    if (loadWord32(data) != magic32(0, 0, static_cast<unsigned char>(type), 0)) {
        return false;
    }
    const std::uint16_t count = littleEndian16(data + 4);
    if (count == 0 || count > largestCount) {
        return false;
    }
    return isPlausibleEntry(data + headerSize, type, headerSize + entrySize * std::uint64_t{count});
}

std::uint64_t IconParser::measure(ByteCursor& input, Type type)
{
    unsigned char header[headerSize];
    if (!input.read(header, sizeof header) || littleEndian16(header) != 0 || littleEndian16(header + 2) != type) {
        return 0;
    }
    const std::uint16_t count = littleEndian16(header + 4);
    if (count == 0 || count > largestCount) {
        return 0;
    }
    std::vector<unsigned char> entries(entrySize * count);
    if (!input.read(entries.data(), entries.size())) {
        return 0;
    }
    const std::uint64_t directoryEnd = input.position();
    std::uint64_t end = directoryEnd;
    for (std::uint16_t i = 0; i < count; ++i) {
        const unsigned char* entry = entries.data() + entrySize * i;
        if (!isPlausibleEntry(entry, type, directoryEnd)) {
            return 0;
        }
        const std::uint64_t size = littleEndian32(entry + 8);
        const std::uint64_t offset = littleEndian32(entry + 12);
        if (offset + size > input.limit()) {
            return 0;
        }
        if (!checkImage(input, entry, offset, size)) {
            return 0;
        }
        end = std::max(end, offset + size);
    }
    return input.hasBytes(end) ? end : 0;
}

bool IconParser::checkImage(ByteCursor& input, const unsigned char* entry, std::uint64_t offset, std::uint64_t size)
{
    unsigned char first[8];
    if (!input.seek(offset) || !input.read(first, sizeof first) || !input.seek(offset)) {
        return false;
    }
    if (std::memcmp(first, pngSignature, sizeof pngSignature) == 0) {
        return checkPng(input, offset, size);
    }
    return checkDib(input, entry, size);
}

// The chunk chain alone: the CRCs are left to a PNG reader; what matters here is that the chain
// from IHDR reaches IEND exactly at the entry's end, which no corrupt length lets through.
bool IconParser::checkPng(ByteCursor& input, std::uint64_t offset, std::uint64_t size)
{
    const std::uint64_t stop = offset + size;
    if (!input.skip(sizeof pngSignature)) {
        return false;
    }
    bool first = true;
    for (;;) {
        unsigned char chunk[8];
        if (input.position() + 12 > stop || !input.read(chunk, sizeof chunk)) {
            return false;
        }
        const std::uint32_t length = bigEndian32(chunk);
        for (int i = 4; i < 8; ++i) {
            if (!isLetter(chunk[i])) {
                return false;
            }
        }
        if (first && (std::memcmp(chunk + 4, "IHDR", 4) != 0 || length != 13)) {
            return false;
        }
        first = false;
        if (length > stop - input.position() || stop - input.position() - length < 4 || !input.skip(length + 4u)) {
            return false;
        }
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) {
            return length == 0 && input.position() == stop;
        }
    }
}

bool IconParser::checkDib(ByteCursor& input, const unsigned char* entry, std::uint64_t size)
{
    unsigned char info[40];
    if (!input.read(info, sizeof info)) {
        return false;
    }
    const std::uint32_t infoSize = littleEndian32(info);
    const std::int32_t width = static_cast<std::int32_t>(littleEndian32(info + 4));
    const std::int32_t height = static_cast<std::int32_t>(littleEndian32(info + 8));
    const std::uint16_t planes = littleEndian16(info + 12);
    const std::uint16_t bits = littleEndian16(info + 14);
    const std::uint32_t compression = littleEndian32(info + 16);
    const std::uint32_t colorsUsed = littleEndian32(info + 32);
    if ((infoSize != 40 && infoSize != 108 && infoSize != 124) || planes != 1 || compression != 0) {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    // The height counts the colour pixels and the mask below them. Entries give 0 for 256 and
    // some writers put 0 for larger images still; only a given size must agree.
    if (width <= 0 || height <= 0 || height % 2 != 0) {
        return false;
    }
    const std::uint32_t rows = static_cast<std::uint32_t>(height) / 2;
    if ((entry[0] != 0 && pixels(entry[0]) != static_cast<std::uint32_t>(width)) ||
        (entry[1] != 0 && pixels(entry[1]) != rows)) {
        return false;
    }
    std::uint64_t palette = 0;
    if (bits <= 8) {
        const std::uint64_t colours = colorsUsed != 0 ? colorsUsed : std::uint64_t{1} << bits;
        if (colours > std::uint64_t{1} << bits) {
            return false;
        }
        palette = 4 * colours;
    }
    const std::uint64_t colourRow = (std::uint64_t{static_cast<std::uint32_t>(width)} * bits + 31) / 32 * 4;
    const std::uint64_t maskRow = (std::uint64_t{static_cast<std::uint32_t>(width)} + 31) / 32 * 4;
    const std::uint64_t colours = infoSize + palette + colourRow * rows;
    // A 32-bit image carries its transparency in its alpha, and some writers leave its mask out.
    return colours + maskRow * rows <= size || (bits == 32 && colours <= size);
}

#include "plugins/psd/Psdparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t largestChannels = 56;
constexpr std::uint32_t largestSide = 30000;
constexpr std::uint32_t largestLargeSide = 300000;
// Far more layers than an editor allows; a larger count is garbage.
constexpr unsigned largestLayerCount = 8000;

enum Compression : std::uint16_t { raw = 0, rle = 1 };

bool isKnownDepth(std::uint16_t depth)
{
    return depth == 1 || depth == 8 || depth == 16 || depth == 32;
}

// Bitmap, greyscale, indexed, RGB, CMYK, multichannel, duotone, Lab.
bool isKnownMode(std::uint16_t mode)
{
    return mode <= 4 || (mode >= 7 && mode <= 9);
}

bool isResourceSignature(const unsigned char* id)
{
    return std::memcmp(id, "8BIM", 4) == 0 || std::memcmp(id, "MeSa", 4) == 0 || std::memcmp(id, "PHUT", 4) == 0 ||
           std::memcmp(id, "AgHg", 4) == 0 || std::memcmp(id, "DCSR", 4) == 0;
}

struct Header {
    std::uint16_t version;
    std::uint16_t channels;
    std::uint32_t height;
    std::uint32_t width;
    std::uint16_t depth;
    std::uint16_t mode;
};

Header readHeader(const unsigned char* data)
{
    return Header{bigEndian16(data + 4), bigEndian16(data + 12), bigEndian32(data + 14), bigEndian32(data + 18),
                  bigEndian16(data + 22), bigEndian16(data + 24)};
}

bool isPlausible(const unsigned char* data)
{
    static const unsigned char reserved[6] = {};
    const Header header = readHeader(data);
    const std::uint32_t side = header.version == 2 ? largestLargeSide : largestSide;
    return (header.version == 1 || header.version == 2) && std::memcmp(data + 6, reserved, sizeof reserved) == 0 &&
           header.channels >= 1 && header.channels <= largestChannels && header.height >= 1 && header.height <= side &&
           header.width >= 1 && header.width <= side && isKnownDepth(header.depth) && isKnownMode(header.mode);
}

}

const SignatureSet& PsdParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {'8', 'B', 'P', 'S', 0});
    return set;
}

bool PsdParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('8', 'B', 'P', 'S')) {
        return false;
    }
    return isPlausible(data);
}

bool PsdParser::readLength(ByteCursor& input, bool wide, std::uint64_t& length)
{
    unsigned char bytes[8];
    if (!input.read(bytes, wide ? 8 : 4)) {
        return false;
    }
    length = wide ? std::uint64_t{bigEndian32(bytes)} << 32 | bigEndian32(bytes + 4) : bigEndian32(bytes);
    return true;
}

std::uint64_t PsdParser::measure(ByteCursor& input)
{
    unsigned char data[windowSize];
    if (!input.read(data, sizeof data) || std::memcmp(data, "8BPS", 4) != 0 || !isPlausible(data)) {
        return 0;
    }
    const Header header = readHeader(data);
    large = header.version == 2;
    channels = header.channels;
    height = header.height;
    width = header.width;
    depth = header.depth;

    std::uint64_t length = 0;
    // The colour mode data: an indexed image's palette holds 256 RGB entries.
    if (!readLength(input, false, length) || (header.mode == 2 && length != 768) || !input.skip(length)) {
        return 0;
    }
    if (!readLength(input, false, length) || !skipResources(input, length)) {
        return 0;
    }
    if (!readLength(input, large, length) || !skipLayers(input, length)) {
        return 0;
    }
    if (!skipImageData(input)) {
        return 0;
    }
    return input.hasBytes(input.position()) ? input.position() : 0;
}

bool PsdParser::skipResources(ByteCursor& input, std::uint64_t length)
{
    const std::uint64_t end = input.position() + length;
    if (length > input.limit() - input.position()) {
        return false;
    }
    while (input.position() < end) {
        unsigned char head[7];
        if (end - input.position() < 12 || !input.read(head, sizeof head) || !isResourceSignature(head)) {
            return false;
        }
        // The name: a Pascal string padded to an even length, its length byte included.
        const std::uint64_t name = head[6] + (head[6] % 2 == 0 ? 1u : 0u);
        std::uint32_t size = 0;
        if (!input.skip(name) || !input.readBigEndian32(size)) {
            return false;
        }
        const std::uint64_t padded = std::uint64_t{size} + size % 2;
        if (input.position() > end || padded > end - input.position() || !input.skip(padded)) {
            return false;
        }
    }
    return input.position() == end;
}

bool PsdParser::skipLayers(ByteCursor& input, std::uint64_t length)
{
    if (length > input.limit() - input.position()) {
        return false;
    }
    const std::uint64_t end = input.position() + length;
    if (length == 0) {
        return true;
    }
    std::uint64_t layerInfo = 0;
    if (length < (large ? 8u : 4u) || !readLength(input, large, layerInfo) || layerInfo > end - input.position()) {
        return false;
    }
    const std::uint64_t layerEnd = input.position() + layerInfo;
    if (!skipLayerInfo(input, layerInfo) || !input.seek(layerEnd)) {
        return false;
    }
    // The global layer mask, when the section goes on; what follows it (tagged blocks) lies
    // within the section's length, which alone tells where the section ends.
    if (end - input.position() >= 4) {
        std::uint32_t mask = 0;
        if (!input.readBigEndian32(mask) || mask > end - input.position()) {
            return false;
        }
    }
    return input.seek(end);
}

bool PsdParser::skipLayerInfo(ByteCursor& input, std::uint64_t length)
{
    if (length == 0) {
        return true;
    }
    const std::uint64_t end = input.position() + length;
    std::uint16_t rawCount = 0;
    if (!input.readBigEndian16(rawCount)) {
        return false;
    }
    // A negative count says the first alpha channel holds the merged transparency.
    const unsigned count = static_cast<std::int16_t>(rawCount) < 0 ? 0x10000u - rawCount : rawCount;
    if (count > largestLayerCount) {
        return false;
    }
    std::uint64_t channelData = 0;
    for (unsigned layer = 0; layer < count; ++layer) {
        unsigned char bounds[16];
        std::uint16_t layerChannels = 0;
        if (!input.read(bounds, sizeof bounds) || !input.readBigEndian16(layerChannels) ||
            layerChannels > largestChannels) {
            return false;
        }
        for (unsigned channel = 0; channel < layerChannels; ++channel) {
            std::uint64_t channelLength = 0;
            if (!input.skip(2) || !readLength(input, large, channelLength) || channelLength > length) {
                return false;
            }
            channelData += channelLength;
        }
        unsigned char blend[12];
        std::uint32_t extra = 0;
        if (!input.read(blend, sizeof blend) || std::memcmp(blend, "8BIM", 4) != 0 || !input.readBigEndian32(extra) ||
            extra > end - input.position() || !input.skip(extra)) {
            return false;
        }
        if (input.position() > end || channelData > end - input.position()) {
            return false;
        }
    }
    // Each channel's data (its compression and its bytes) follows the records, in their order.
    return channelData <= end - input.position();
}

bool PsdParser::skipImageData(ByteCursor& input)
{
    std::uint16_t compression = 0;
    if (!input.readBigEndian16(compression)) {
        return false;
    }
    const std::uint64_t rows = std::uint64_t{channels} * height;
    if (compression == raw) {
        const std::uint64_t rowBytes = (std::uint64_t{width} * depth + 7) / 8;
        return input.skip(rows * rowBytes);
    }
    if (compression != rle) {
        return false;
    }
    // The byte count of every row of every channel, then the rows.
    const unsigned countSize = large ? 4 : 2;
    if (rows * countSize > input.limit() - input.position()) {
        return false;
    }
    std::uint64_t total = 0;
    std::vector<unsigned char> counts(4096 * countSize);
    for (std::uint64_t at = 0; at < rows;) {
        const std::size_t block = static_cast<std::size_t>(rows - at < 4096 ? rows - at : 4096);
        if (!input.read(counts.data(), block * countSize)) {
            return false;
        }
        for (std::size_t i = 0; i < block; ++i) {
            total += large ? bigEndian32(counts.data() + 4 * i) : bigEndian16(counts.data() + 2 * i);
        }
        at += block;
    }
    return input.skip(total);
}

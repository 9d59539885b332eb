#include "plugins/mp3/Mp3parser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned id3HeaderLength = 10;
constexpr unsigned char id3Footer = 0x10;
constexpr unsigned id3v1Length = 128;
constexpr unsigned apeFooterLength = 32;
constexpr std::uint32_t apeHasHeader = 0x80000000u;

// Kilobits per second by version (0: MPEG-1, 1: MPEG-2 and 2.5), layer (0: I, 1: II, 2: III) and
// index; 0 is the free format, which we refuse.
const unsigned bitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

// By the version bits (0: MPEG-2.5, 2: MPEG-2, 3: MPEG-1) and the rate index.
const unsigned sampleRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

bool isId3Header(const unsigned char* data)
{
    return data[0] == 'I' && data[1] == 'D' && data[2] == '3' && data[3] >= 2 && data[3] <= 4 && data[4] != 0xFF &&
           (data[6] | data[7] | data[8] | data[9]) < 0x80;
}

std::uint32_t syncSafe(const unsigned char* data)
{
    return std::uint32_t{data[0]} << 21 | std::uint32_t{data[1]} << 14 | std::uint32_t{data[2]} << 7 | data[3];
}

}

const SignatureSet& Mp3Parser::signatures()
{
    static const SignatureSet set =
        SignatureSet().add(0, "ID3").add(0, {0xFF, 0xE0}, {0xFF, 0xE0});
    return set;
}

bool Mp3Parser::readHeader(const unsigned char* data, Frame& frame)
{
    if (data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) {
        return false;
    }
    const unsigned versionBits = data[1] >> 3 & 3;
    const unsigned layerBits = data[1] >> 1 & 3;
    const unsigned rateIndex = data[2] >> 4;
    const unsigned sampleIndex = data[2] >> 2 & 3;
    // MPEG-2.5 has layer III only.
    if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || sampleIndex == 3 ||
        (data[3] & 3) == 2 || (versionBits == 0 && layerBits != 1)) {
        return false;
    }
    frame.version = versionBits;
    frame.layer = 4 - layerBits;
    frame.sampleRate = sampleRates[versionBits][sampleIndex];
    frame.mono = (data[3] >> 6) == 3;
    frame.protectedByCrc = (data[1] & 1) == 0;
    frame.fixedBits = (data[1] & 1u) << 8 | (data[3] & 0xCFu);
    frame.mainDataBegin = 0;
    frame.samples = frame.layer == 1 ? 384 : frame.layer == 3 && versionBits != 3 ? 576 : 1152;
    const unsigned bitRate = bitRates[versionBits == 3 ? 0 : 1][frame.layer - 1][rateIndex] * 1000;
    const unsigned padding = data[2] >> 1 & 1;
    if (frame.layer == 1) {
        frame.length = (12 * bitRate / frame.sampleRate + padding) * 4;
    } else if (frame.layer == 3 && versionBits != 3) {
        frame.length = 72 * bitRate / frame.sampleRate + padding;
    } else {
        frame.length = 144 * bitRate / frame.sampleRate + padding;
    }
    return frame.length > 4;
}

bool Mp3Parser::checkSideInformation(const unsigned char* data, unsigned available, const Frame& frame)
{
    const unsigned start = 4 + (frame.protectedByCrc ? 2 : 0);
    const unsigned char* side = data + start;
    const unsigned length = frame.version == 3 ? (frame.mono ? 17 : 32) : (frame.mono ? 9 : 17);
    if (frame.protectedByCrc && start + length <= available) {
        // CRC-16 (0x8005 from all ones) over the header's last two bytes and the side information.
        unsigned crc = 0xFFFF;
        auto feed = [&crc](unsigned char byte) {
            for (int bit = 7; bit >= 0; --bit) {
                const bool top = ((crc >> 15) ^ (byte >> bit & 1)) != 0;
                crc = crc << 1 & 0xFFFF;
                if (top) {
                    crc ^= 0x8005;
                }
            }
        };
        feed(data[2]);
        feed(data[3]);
        for (unsigned i = 0; i < length; ++i) {
            feed(side[i]);
        }
        if (crc != bigEndian16(data + 4)) {
            return false;
        }
    }
    // The first frame of an encoder may hold a Xing, Info or VBRI header instead of sound; some
    // write it over the side information.
    for (unsigned at : {4 + length, 6 + length, 36u}) {
        if (at + 4 <= available && (std::memcmp(data + at, "Xing", 4) == 0 || std::memcmp(data + at, "Info", 4) == 0 ||
                                    std::memcmp(data + at, "VBRI", 4) == 0)) {
            return true;
        }
    }
    // Only the fields of the granules and channels that lie whole in the bytes given are checked.
    const unsigned availableBits = (available - start) * 8;
    unsigned position = 0;
    auto bits = [&](unsigned count) {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i, ++position) {
            value = value << 1 | (side[position / 8] >> (7 - position % 8) & 1);
        }
        return value;
    };
    const bool first = frame.version == 3;
    const unsigned channels = frame.mono ? 1 : 2;
    // The granules' bits lie in this frame's main data and in the reservoir of those before it.
    const unsigned reservoir = bits(first ? 9 : 8);
    const unsigned mainDataBits =
        frame.length > start + length ? (frame.length - start - length + reservoir) * 8 : 0;
    unsigned granuleBits = 0;
    bits(first ? (frame.mono ? 5 : 3) : (frame.mono ? 1 : 2));
    if (first) {
        bits(4 * channels);
    }
    const unsigned fieldsLength = first ? 59 : 63;
    for (unsigned granule = 0; granule < (first ? 2u : 1u); ++granule) {
        for (unsigned channel = 0; channel < channels; ++channel) {
            if (position + fieldsLength > availableBits) {
                return true;
            }
            granuleBits += bits(12);
            if (granuleBits > mainDataBits) {
                return false;
            }
            // A granule has 576 lines, two a pair.
            if (bits(9) > 288) {
                return false;
            }
            bits(8);
            bits(first ? 4 : 9);
            unsigned tables = 3;
            if (bits(1) != 0) {
                // Window switching with the normal block type is forbidden.
                if (bits(2) == 0) {
                    return false;
                }
                bits(1);
                tables = 2;
            }
            for (unsigned table = 0; table < tables; ++table) {
                // Huffman tables 4 and 14 do not exist.
                const unsigned selected = bits(5);
                if (selected == 4 || selected == 14) {
                    return false;
                }
            }
            bits(tables == 2 ? 9 : 7);
            bits(first ? 3 : 2);
        }
    }
    return true;
}

bool Mp3Parser::checkLayerOne(const unsigned char* data, unsigned available, const Frame& frame)
{
    const unsigned start = 4 + (frame.protectedByCrc ? 2 : 0);
    const unsigned availableBits = available > start ? (available - start) * 8 : 0;
    unsigned position = 0;
    auto bits = [&](unsigned count) {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i, ++position) {
            value = value << 1 | (data[start + position / 8] >> (7 - position % 8) & 1);
        }
        return value;
    };
    const unsigned channels = frame.mono ? 1 : 2;
    // In joint stereo the subbands from the bound up share one allocation.
    const bool joint = (frame.fixedBits & 0xC0) == 0x40;
    const unsigned bound = joint ? 4 * ((data[3] >> 4 & 3) + 1) : 32;
    unsigned allocations[32][2] = {};
    for (unsigned subband = 0; subband < 32; ++subband) {
        for (unsigned channel = 0; channel < (subband < bound ? channels : 1); ++channel) {
            if (position + 4 > availableBits) {
                return true;
            }
            allocations[subband][channel] = bits(4);
            if (allocations[subband][channel] == 15) {
                return false;
            }
            if (subband >= bound) {
                allocations[subband][1] = allocations[subband][0];
            }
        }
    }
    for (unsigned subband = 0; subband < 32; ++subband) {
        for (unsigned channel = 0; channel < channels; ++channel) {
            if (allocations[subband][channel] == 0) {
                continue;
            }
            if (position + 6 > availableBits) {
                return true;
            }
            if (bits(6) == 63) {
                return false;
            }
        }
    }
    return true;
}

bool Mp3Parser::detect(const unsigned char* data)
{
    if (isId3Header(data)) {
        return true;
    }
    Frame frame;
    if (!readHeader(data, frame)) {
        return false;
    }
    if (frame.layer == 1) {
        return checkLayerOne(data, windowSize, frame);
    }
    return frame.layer != 3 || checkSideInformation(data, windowSize, frame);
}

std::uint64_t Mp3Parser::framesStart() const
{
    return start;
}

std::uint64_t Mp3Parser::declaredLength(ByteCursor& input, std::uint64_t start, const Frame& frame)
{
    // The Xing header follows the side information, whose size depends on version and channels.
    const unsigned sideInformation = frame.version == 3 ? (frame.mono ? 17 : 32) : (frame.mono ? 9 : 17);
    unsigned char xing[16];
    if (frame.layer == 3 && frame.length >= 4 + sideInformation + sizeof xing &&
        input.seek(start + 4 + sideInformation) && input.read(xing, sizeof xing) &&
        (std::memcmp(xing, "Xing", 4) == 0 || std::memcmp(xing, "Info", 4) == 0)) {
        const std::uint32_t flags = bigEndian32(xing + 4);
        if ((flags & 2) == 0) {
            return 0;
        }
        // The frame count comes first when it is there.
        return bigEndian32(xing + ((flags & 1) != 0 ? 12 : 8));
    }
    unsigned char vbri[18];
    if (frame.layer == 3 && frame.length >= 36 + sizeof vbri && input.seek(start + 36) &&
        input.read(vbri, sizeof vbri) && std::memcmp(vbri, "VBRI", 4) == 0) {
        return bigEndian32(vbri + 10);
    }
    return 0;
}

std::uint64_t Mp3Parser::skipTrailingTags(ByteCursor& input, std::uint64_t position)
{
    unsigned char footer[apeFooterLength];
    if (input.seek(position) && input.read(footer, sizeof footer) && std::memcmp(footer, "APETAGEX", 8) == 0) {
        // APE tags are read from their end; one in front of that end has a header of the same kind.
        unsigned char header[apeFooterLength];
        const std::uint32_t flags = littleEndian32(footer + 20);
        const std::uint32_t size = littleEndian32(footer + 12);
        if ((flags & apeHasHeader) != 0 && size >= apeFooterLength && input.skip(size - apeFooterLength) &&
            input.read(header, sizeof header) && std::memcmp(header, "APETAGEX", 8) == 0) {
            position += apeFooterLength + size;
        }
    }
    unsigned char tag[3];
    if (input.seek(position) && input.read(tag, sizeof tag) && std::memcmp(tag, "TAG", 3) == 0 &&
        input.hasBytes(position + id3v1Length)) {
        position += id3v1Length;
    }
    return position;
}

unsigned Mp3Parser::mainDataLength(const Frame& frame)
{
    const unsigned sideInformation = frame.version == 3 ? (frame.mono ? 17 : 32) : (frame.mono ? 9 : 17);
    const unsigned overhead = 4 + (frame.protectedByCrc ? 2 : 0) + sideInformation;
    return frame.length > overhead ? frame.length - overhead : 0;
}

bool Mp3Parser::checkFrame(ByteCursor& input, std::uint64_t position, Frame& frame)
{
    if (frame.layer == 2) {
        return true;
    }
    // Layer I's allocations and scale factors, or layer III's side information and the place of a
    // Xing header after it, as far as the frame goes.
    unsigned char data[96] = {};
    const unsigned needed = frame.length < sizeof data ? frame.length : sizeof data;
    if (!input.seek(position) || !input.read(data, needed)) {
        return false;
    }
    if (frame.layer == 1) {
        return checkLayerOne(data, needed, frame);
    }
    const unsigned start = 4 + (frame.protectedByCrc ? 2 : 0);
    const unsigned sideInformation = frame.version == 3 ? (frame.mono ? 17 : 32) : (frame.mono ? 9 : 17);
    if (frame.length < start + sideInformation) {
        return false;
    }
    frame.mainDataBegin = frame.version == 3 ? (unsigned{data[start]} << 1 | data[start + 1] >> 7) : data[start];
    return checkSideInformation(data, needed, frame);
}

std::uint64_t Mp3Parser::measure(ByteCursor& input)
{
    unsigned char header[id3HeaderLength];
    if (!input.read(header, sizeof header)) {
        return 0;
    }
    start = 0;
    const bool tagged = isId3Header(header);
    if (tagged) {
        start = id3HeaderLength + std::uint64_t{syncSafe(header + 6)} + ((header[5] & id3Footer) != 0 ? 10 : 0);
        if (!input.seek(start) || !input.read(header, 4)) {
            return 0;
        }
    }
    Frame first;
    if (!readHeader(header, first) || !checkFrame(input, start, first)) {
        return 0;
    }
    const std::uint64_t declared = declaredLength(input, start, first);
    const std::uint64_t declaredEnd = declared != 0 ? start + declared : 0;
    // Without a tag or a length, every frame must look like the first.
    const bool bare = !tagged && declared == 0;
    // The bytes of main data the frames so far left for those after them; the back pointer can
    // reach no further than 511 bytes (MPEG-1) or 255.
    const unsigned deepestReservoir = first.version == 3 ? 511 : 255;
    unsigned reservoir = 0;
    std::uint64_t position = start;
    unsigned frames = 0;
    for (;;) {
        unsigned char bytes[4];
        Frame frame;
        if (declaredEnd != 0 && position >= declaredEnd) {
            break;
        }
        if (!input.seek(position) || !input.read(bytes, sizeof bytes) || !readHeader(bytes, frame) ||
            !checkFrame(input, position, frame) ||
            frame.version != first.version || frame.layer != first.layer || frame.sampleRate != first.sampleRate ||
            (bare && frame.fixedBits != first.fixedBits) ||
            (frames > 0 && frame.layer == 3 && frame.mainDataBegin > reservoir) ||
            !input.hasBytes(position + frame.length)) {
            break;
        }
        if (frame.layer == 3) {
            reservoir = std::min(reservoir + mainDataLength(frame), deepestReservoir);
        }
        position += frame.length;
        ++frames;
    }
    if (frames < fewestFrames || (declaredEnd != 0 && position != declaredEnd)) {
        return 0;
    }
    const unsigned fewestTenths = first.layer == 1 ? fewestBareLayerOneTenths : fewestBareTenths;
    if (bare && std::uint64_t{frames} * first.samples * 10 < std::uint64_t{fewestTenths} * first.sampleRate) {
        return 0;
    }
    return skipTrailingTags(input, position);
}

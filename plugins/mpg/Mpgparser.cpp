#include "plugins/mpg/Mpgparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

constexpr unsigned char packStart = 0xBA;
constexpr unsigned char endCode = 0xB9;
constexpr unsigned char systemHeader = 0xBB;

// The length of the pack header that starts at data (its start code included) from its marker
// bits, or 0 when it is none. An MPEG-1 pack is 12 bytes; an MPEG-2 pack 14 and its stuffing,
// which data must hold 14 bytes for.
unsigned packLength(const unsigned char* data)
{
    const unsigned char* pack = data + 4;
    if ((pack[0] & 0xF1) == 0x21) {
        return (pack[2] & 1) == 1 && (pack[4] & 1) == 1 && (pack[5] & 0x80) == 0x80 && (pack[7] & 1) == 1 ? 12 : 0;
    }
    if ((pack[0] & 0xC4) == 0x44) {
        const bool markers = (pack[2] & 4) == 4 && (pack[4] & 4) == 4 && (pack[5] & 1) == 1 && (pack[8] & 3) == 3;
        return markers ? 14 + (pack[9] & 7) : 0;
    }
    return 0;
}

// The system clock reference of a pack header, without the MPEG-2 extension.
std::uint64_t systemClock(const unsigned char* data)
{
    const unsigned char* p = data + 4;
    if ((p[0] & 0xF0) == 0x20) {
        return std::uint64_t{(p[0] >> 1) & 7u} << 30 | std::uint64_t{p[1]} << 22 | (std::uint64_t{p[2]} >> 1) << 15 |
               std::uint64_t{p[3]} << 7 | (p[4] >> 1);
    }
    return std::uint64_t{(p[0] >> 3) & 7u} << 30 | std::uint64_t{p[0] & 3u} << 28 | std::uint64_t{p[1]} << 20 |
           std::uint64_t{(p[2] >> 3) & 0x1Fu} << 15 | std::uint64_t{p[2] & 3u} << 13 | std::uint64_t{p[3]} << 5 |
           (p[4] >> 3);
}

// Whether the system header of length bytes after its length field holds its marker and reserved
// bits and a list of whole stream entries, each naming a stream and its buffer bound.
bool systemHeaderHolds(ByteCursor& input, std::uint64_t position, unsigned length)
{
    unsigned char fields[6 + 3 * 256];
    if (length < 6 || length > sizeof fields || !input.peek(position + 6, fields, length)) {
        return false;
    }
    if ((fields[0] & 0x80) == 0 || (fields[2] & 1) == 0 || (fields[4] & 0x20) == 0 || (fields[5] & 0x7F) != 0x7F) {
        return false;
    }
    for (unsigned at = 6; at < length;) {
        // An extended stream (0xB7) carries three bytes more.
        const unsigned entry = fields[at] == 0xB7 ? 6 : 3;
        if (at + entry > length || fields[at] < 0xB7 || (fields[at + 1] & 0xC0) != 0xC0) {
            return false;
        }
        at += entry;
    }
    return true;
}

// Audio, video and private stream 1 (AC-3, DVD subtitles): what a recording is made of, unlike
// padding and the navigation data of private stream 2.
bool isMediaStream(unsigned char code)
{
    return code == 0xBD || (code >= 0xC0 && code <= 0xEF);
}

}

const SignatureSet& MpgParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0, 0, 1, packStart});
    return set;
}

bool MpgParser::detect(const unsigned char* data)
{
    return loadWord32(data) == magic32(0, 0, 1, packStart) && packLength(data) != 0;
}

std::uint64_t MpgParser::measure(ByteCursor& input)
{
    packs.clear();
    const std::uint64_t length = walk(input);
    if (length > 0) {
        packs.clear();
    }
    return length;
}

const std::vector<std::uint64_t>& MpgParser::refused() const
{
    return packs;
}

std::uint64_t MpgParser::walk(ByteCursor& input)
{
    std::uint64_t position = 0;
    bool sawPacket = false;
    bool sawSystemHeader = false;
    std::uint64_t lastClock = 0;
    // Every header is peeked, as the one after the last packet may lie past the size window
    // while the stream would not fit it.
    for (;;) {
        unsigned char header[14] = {};
        const std::uint64_t left = input.inputLength() - position;
        const std::size_t count = left < sizeof header ? static_cast<std::size_t>(left) : sizeof header;
        if (!input.peek(position, header, count)) {
            break;
        }
        if (count < 4) {
            // The first bytes of a start code at the very end of the input: a stream cut short.
            const unsigned char prefix[3] = {0, 0, 1};
            if (count > 0 && std::memcmp(header, prefix, count) == 0) {
                return 0;
            }
            break;
        }
        if (loadWord16(header) != 0 || header[2] != 1) {
            break;
        }
        const unsigned char code = header[3];
        std::uint64_t next = 0;
        if (code == endCode) {
            next = position + 4;
        } else if (code == packStart) {
            const unsigned length = count >= 12 ? packLength(header) : 0;
            if (length == 0 || (length > 12 && count < 14)) {
                return 0;
            }
            // A clock that goes back is the first pack of another stream, laid after this one.
            const std::uint64_t clock = systemClock(header);
            if (position > 0 && clock <= lastClock) {
                break;
            }
            lastClock = clock;
            next = position + length;
            if (position > 0) {
                packs.push_back(position);
            }
        } else if (code >= systemHeader && position > 0 && (code == systemHeader || sawSystemHeader)) {
            if (count < 6) {
                return 0;
            }
            if (code == systemHeader && !systemHeaderHolds(input, position, bigEndian16(header + 4))) {
                break;
            }
            next = position + 6 + bigEndian16(header + 4);
            sawPacket = sawPacket || isMediaStream(code);
            sawSystemHeader = true;
        } else {
            break;
        }
        if (next > input.limit()) {
            return 0;
        }
        position = next;
        if (code == endCode) {
            break;
        }
    }
    return sawPacket && input.hasBytes(position) ? position : 0;
}

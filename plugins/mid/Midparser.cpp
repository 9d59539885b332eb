#include "plugins/mid/Midparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr std::uint32_t headerChunk = magic32('M', 'T', 'h', 'd');
constexpr std::uint32_t trackChunk = magic32('M', 'T', 'r', 'k');
constexpr std::uint32_t headerLength = 6;
// Meta event 0x2F, of length 0.
constexpr unsigned char endOfTrack[3] = {0xFF, 0x2F, 0x00};
// Chunks of other types are rare; a run of them is not a MIDI file.
constexpr unsigned mostForeignChunks = 16;

bool isPrintable(const unsigned char* id)
{
    for (int i = 0; i < 4; ++i) {
        if (id[i] < 0x20 || id[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

}

const SignatureSet& MidParser::signatures()
{
    // "MThd", the length 6 and a format below 4.
    static const SignatureSet set = SignatureSet().add(0, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0},
                                                       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC});
    return set;
}

bool MidParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != headerChunk || bigEndian32(data + 4) != headerLength) {
        return false;
    }
    const std::uint16_t format = bigEndian16(data + 8);
    const std::uint16_t tracks = bigEndian16(data + 10);
    const std::uint16_t division = bigEndian16(data + 12);
    return format <= 2 && tracks != 0 && (format != 0 || tracks == 1) && division != 0;
}

std::uint64_t MidParser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    unsigned tracks = bigEndian16(header + 10);
    unsigned foreign = 0;
    std::uint64_t position = sizeof header;
    while (tracks > 0) {
        unsigned char chunk[8];
        if (!input.seek(position) || !input.read(chunk, sizeof chunk) || !isPrintable(chunk)) {
            return 0;
        }
        const std::uint32_t size = bigEndian32(chunk + 4);
        const std::uint64_t end = position + sizeof chunk + size;
        if (loadWord32(chunk) == trackChunk) {
            unsigned char last[sizeof endOfTrack];
            if (size < sizeof last || !input.skip(size - sizeof last) || !input.read(last, sizeof last) ||
                last[0] != endOfTrack[0] || last[1] != endOfTrack[1] || last[2] != endOfTrack[2]) {
                return 0;
            }
            --tracks;
        } else if (++foreign > mostForeignChunks || !input.skip(size)) {
            return 0;
        }
        position = end;
    }
    return position;
}

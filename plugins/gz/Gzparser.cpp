#include "plugins/gz/Gzparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Chunkreader.h"
#include "plugins/common/Signatureset.h"
#include "plugins/deflate/Deflatestream.h"

#include <zlib.h>

namespace {

constexpr unsigned char flagHeaderCrc = 0x02;
constexpr unsigned char flagExtra = 0x04;
constexpr unsigned char flagName = 0x08;
constexpr unsigned char flagComment = 0x10;
constexpr unsigned char flagsReserved = 0xE0;
constexpr unsigned trailerSize = 8;

// Reads a member's header a byte at a time from chunks, keeping the CRC-32 of what it read for
// the header's own check.
class HeaderReader {
public:
    HeaderReader(ByteCursor& input, std::uint64_t start, bool pastLimit) : reader(input, start, pastLimit)
    {
        crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
    }

    bool byte(unsigned char& value)
    {
        if (at == length) {
            if (!reader.next(chunk, length)) {
                return false;
            }
            at = 0;
        }
        value = chunk[at++];
        crc = static_cast<std::uint32_t>(crc32(crc, &value, 1));
        ++count;
        return true;
    }

    bool skipPastZero()
    {
        unsigned char value = 1;
        while (value != 0) {
            if (!byte(value)) {
                return false;
            }
        }
        return true;
    }

    bool atStop() const
    {
        return at == length && reader.atStop();
    }

    std::uint64_t count = 0;
    std::uint32_t crc = 0;

private:
    ChunkReader reader;
    const unsigned char* chunk = nullptr;
    std::size_t length = 0;
    std::size_t at = 0;
};

}

const SignatureSet& GzParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0x1F, 0x8B, 0x08});
    return set;
}

bool GzParser::detect(const unsigned char* data)
{
    if (data[0] != 0x1F || data[1] != 0x8B || data[2] != 0x08 || (data[3] & flagsReserved) != 0) {
        return false;
    }
    // Extra flags: 2 for the slowest compression, 4 for the fastest, 0 otherwise. Operating
    // system: one of those the format lists, or 255 for none.
    unsigned char extraFlags = data[8];
    unsigned char system = data[9];
    return (extraFlags == 0 || extraFlags == 2 || extraFlags == 4) && (system <= 13 || system == 255);
}

const std::vector<std::uint64_t>& GzParser::members() const
{
    return laterMembers;
}

GzParser::Member GzParser::measureMember(ByteCursor& input, std::uint64_t start, bool pastLimit,
                                         std::uint64_t& end)
{
    HeaderReader header(input, start, pastLimit);
    unsigned char fixed[windowSize];
    for (unsigned char& value : fixed) {
        if (!header.byte(value)) {
            return header.atStop() ? Member::Unfinished : Member::Damaged;
        }
    }
    if (!detect(fixed)) {
        return Member::Damaged;
    }
    const unsigned char flags = fixed[3];
    bool read = true;
    if ((flags & flagExtra) != 0) {
        unsigned char low = 0;
        unsigned char high = 0;
        read = header.byte(low) && header.byte(high);
        for (unsigned length = low | high << 8; read && length > 0; --length) {
            read = header.byte(low);
        }
    }
    if (read && (flags & flagName) != 0) {
        read = header.skipPastZero();
    }
    if (read && (flags & flagComment) != 0) {
        read = header.skipPastZero();
    }
    if (read && (flags & flagHeaderCrc) != 0) {
        std::uint32_t expected = header.crc & 0xFFFF;
        unsigned char low = 0;
        unsigned char high = 0;
        read = header.byte(low) && header.byte(high);
        if (read && static_cast<std::uint32_t>(low | high << 8) != expected) {
            return Member::Damaged;
        }
    }
    if (!read) {
        return header.atStop() ? Member::Unfinished : Member::Damaged;
    }
    DeflateStream::Result stream = DeflateStream::inflate(input, start + header.count, pastLimit);
    if (stream.outcome == DeflateStream::Outcome::Unfinished) {
        return Member::Unfinished;
    }
    if (stream.outcome != DeflateStream::Outcome::Ended) {
        return Member::Damaged;
    }
    unsigned char trailer[trailerSize];
    const std::uint64_t stop = pastLimit ? input.inputLength() : input.limit();
    if (stream.end + trailerSize > stop) {
        return Member::Unfinished;
    }
    if (!input.peek(stream.end, trailer, sizeof trailer)) {
        return Member::Damaged;
    }
    if (littleEndian32(trailer) != stream.crc ||
        littleEndian32(trailer + 4) != static_cast<std::uint32_t>(stream.inflatedLength)) {
        return Member::Damaged;
    }
    end = stream.end + trailerSize;
    return Member::Whole;
}

std::uint64_t GzParser::measure(ByteCursor& input)
{
    laterMembers.clear();
    std::uint64_t end = 0;
    if (measureMember(input, 0, false, end) != Member::Whole) {
        return 0;
    }
    // Whether a member follows can only be told by walking it whole, within the size window or not.
    for (;;) {
        unsigned char next[windowSize];
        if (!input.peek(end, next, sizeof next) || !detect(next)) {
            break;
        }
        std::uint64_t nextEnd = 0;
        if (measureMember(input, end, true, nextEnd) != Member::Whole) {
            break;
        }
        if (nextEnd > input.limit()) {
            return 0;
        }
        laterMembers.push_back(end);
        end = nextEnd;
    }
    input.seek(end);
    return end;
}

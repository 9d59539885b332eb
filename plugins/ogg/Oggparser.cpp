#include "plugins/ogg/Oggparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

constexpr std::uint32_t pageTag = magic32('O', 'g', 'g', 'S');
constexpr unsigned headerLength = 27;
constexpr unsigned char continued = 0x01;
constexpr unsigned char firstPage = 0x02;
constexpr unsigned char lastPage = 0x04;
// More logical streams than this in one group are not a real file.
constexpr std::size_t mostStreams = 64;

// CRC-32 with the polynomial 0x04C11DB7, fed most significant bit first, from 0, not inverted.
struct CrcTable {
    std::uint32_t entries[256];

    CrcTable()
    {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t value = i << 24;
            for (int bit = 0; bit < 8; ++bit) {
                value = (value & 0x80000000u) != 0 ? value << 1 ^ 0x04C11DB7u : value << 1;
            }
            entries[i] = value;
        }
    }
};

const CrcTable crcTable;

std::uint32_t updateCrc(std::uint32_t crc, const unsigned char* data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        crc = crc << 8 ^ crcTable.entries[(crc >> 24 ^ data[i]) & 0xFF];
    }
    return crc;
}

// The identification packets that open the logical streams we take.
bool isKnownCodec(const unsigned char* packet, std::size_t length)
{
    static const struct {
        const char* text;
        std::size_t length;
    } marks[] = {
        {"\x01vorbis", 7}, {"OpusHead", 8}, {"\x7F" "FLAC", 5}, {"Speex   ", 8}, {"\x80theora", 7}, {"fishead", 8},
    };
    for (const auto& mark : marks) {
        if (length >= mark.length && std::memcmp(packet, mark.text, mark.length) == 0) {
            return true;
        }
    }
    return false;
}

// Checks the fixed fields of a page header and gives the length of its segment table.
bool checkHeader(const unsigned char* header)
{
    return loadWord32(header) == pageTag && header[4] == 0 && (header[5] & ~(continued | firstPage | lastPage)) == 0;
}

}

const SignatureSet& OggParser::signatures()
{
    // "OggS", version 0, a first page, granule position 0, any serial number, sequence number 0.
    static const SignatureSet set = SignatureSet().add(
        0, {'O', 'g', 'g', 'S', 0, firstPage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, firstPage | continued, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,
         0xFF, 0xFF, 0xFF, 0xFF});
    return set;
}

bool OggParser::detect(const unsigned char* data)
{
    if (!checkHeader(data) || (data[5] & (firstPage | continued)) != firstPage || data[26] == 0) {
        return false;
    }
    for (int i = 6; i < 14; ++i) {
        if (data[i] != 0) {
            return false;
        }
    }
    return loadWord32(data + 18) == 0;
}

bool OggParser::readPage(ByteCursor& input, std::uint64_t position, Page& page)
{
    unsigned char header[headerLength];
    unsigned char table[255];
    if (!input.seek(position) || !input.read(header, sizeof header) || !checkHeader(header) ||
        !input.read(table, header[26])) {
        return false;
    }
    const std::uint32_t stored = littleEndian32(header + 22);
    std::memset(header + 22, 0, 4);
    std::uint32_t crc = updateCrc(0, header, sizeof header);
    crc = updateCrc(crc, table, header[26]);
    std::uint64_t body = 0;
    for (unsigned i = 0; i < header[26]; ++i) {
        body += table[i];
    }
    unsigned char opening[8] = {};
    std::size_t openingLength = 0;
    const bool ok = input.consume(body, [&](const unsigned char* data, std::size_t length) {
        while (openingLength < sizeof opening && length > 0) {
            opening[openingLength++] = *data;
            crc = updateCrc(crc, data, 1);
            ++data;
            --length;
        }
        crc = updateCrc(crc, data, length);
    });
    if (!ok || crc != stored) {
        return false;
    }
    page.flags = header[5];
    page.serial = littleEndian32(header + 14);
    page.sequence = littleEndian32(header + 18);
    page.length = sizeof header + header[26] + body;
    page.startsKnownCodec = isKnownCodec(opening, openingLength);
    return true;
}

bool OggParser::peekFirstPage(ByteCursor& input, std::uint64_t position)
{
    unsigned char header[headerLength];
    if (!input.peek(position, header, sizeof header) || !detect(header)) {
        return false;
    }
    std::vector<unsigned char> page(sizeof header + header[26]);
    if (!input.peek(position, page.data(), page.size())) {
        return false;
    }
    std::size_t body = 0;
    for (std::size_t i = sizeof header; i < page.size(); ++i) {
        body += page[i];
    }
    page.resize(page.size() + body);
    if (!input.peek(position, page.data(), page.size())) {
        return false;
    }
    const std::uint32_t stored = littleEndian32(page.data() + 22);
    std::memset(page.data() + 22, 0, 4);
    const std::size_t opening = sizeof header + header[26];
    return updateCrc(0, page.data(), page.size()) == stored &&
           isKnownCodec(page.data() + opening, page.size() - opening);
}

bool OggParser::allEnded() const
{
    for (const Stream& stream : streams) {
        if (!stream.ended) {
            return false;
        }
    }
    return true;
}

bool OggParser::take(const Page& page)
{
    Stream* stream = nullptr;
    for (Stream& known : streams) {
        if (known.serial == page.serial) {
            stream = &known;
        }
    }
    if ((page.flags & firstPage) != 0) {
        // A first page opens a stream of the group, before any of them carries data.
        if (stream != nullptr || groupHasData || streams.size() >= mostStreams || page.sequence != 0 ||
            (page.flags & continued) != 0 || !page.startsKnownCodec) {
            return false;
        }
        streams.push_back(Stream{page.serial, 1, (page.flags & lastPage) != 0});
        return true;
    }
    if (stream == nullptr || stream->ended || page.sequence != stream->nextSequence) {
        return false;
    }
    groupHasData = true;
    ++stream->nextSequence;
    stream->ended = (page.flags & lastPage) != 0;
    return true;
}

std::uint64_t OggParser::measure(ByteCursor& input)
{
    std::uint64_t position = 0;
    for (;;) {
        Page page;
        if (!readPage(input, position, page) || !take(page)) {
            return 0;
        }
        position += page.length;
        if (allEnded()) {
            if (!peekFirstPage(input, position)) {
                return position;
            }
            // A chained stream: a new group begins.
            streams.clear();
            groupHasData = false;
        }
    }
}

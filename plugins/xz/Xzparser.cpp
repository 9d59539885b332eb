#include "plugins/xz/Xzparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Chunkreader.h"
#include "plugins/common/Signatureset.h"

#include <lzma.h>

#include <cstring>

namespace {

const unsigned char streamMagic[] = {0xFD, '7', 'z', 'X', 'Z', 0x00};

// The four check types xz defines (none, CRC32, CRC64, SHA-256), each with the CRC-32 of the two
// stream-flag bytes that select it: the whole header is one of four.
struct CheckType {
    unsigned char id;
    unsigned char crc[4];
};
const CheckType checkTypes[] = {
    {0x00, {0xFF, 0x12, 0xD9, 0x41}},
    {0x01, {0x69, 0x22, 0xDE, 0x36}},
    {0x04, {0xE6, 0xD6, 0xB4, 0x46}},
    {0x0A, {0xE1, 0xFB, 0x0C, 0xA1}},
};

// Dictionaries of up to 64 MiB (xz -9) fit; a header asking for more is refused, not decoded.
constexpr std::uint64_t memoryLimit = 128ull * 1024 * 1024;
constexpr std::size_t discardSize = 64 * 1024;

// liblzma's stream, ended whatever way the decoding leaves.
class Decoder {
public:
    Decoder() : stream(LZMA_STREAM_INIT)
    {
        ready = lzma_stream_decoder(&stream, memoryLimit, 0) == LZMA_OK;
    }
    ~Decoder()
    {
        lzma_end(&stream);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    lzma_stream stream;
    bool ready;
};

}

const SignatureSet& XzParser::signatures()
{
    static const SignatureSet set = [] {
        SignatureSet patterns;
        for (const CheckType& type : checkTypes) {
            patterns.add(0, {0xFD, '7', 'z', 'X', 'Z', 0x00, 0x00, type.id, type.crc[0], type.crc[1], type.crc[2],
                             type.crc[3]});
        }
        return patterns;
    }();
    return set;
}

bool XzParser::detect(const unsigned char* data)
{
    if (std::memcmp(data, streamMagic, sizeof streamMagic) != 0 || data[6] != 0) {
        return false;
    }
    for (const CheckType& type : checkTypes) {
        if (data[7] == type.id && std::memcmp(data + 8, type.crc, sizeof type.crc) == 0) {
            return true;
        }
    }
    return false;
}

std::uint64_t XzParser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    Decoder decoder;
    if (!decoder.ready) {
        return 0;
    }
    lzma_stream& stream = decoder.stream;
    static thread_local std::uint8_t discard[discardSize];
    ChunkReader reader(input, 0);
    const unsigned char* chunk = nullptr;
    std::size_t length = 0;
    while (reader.next(chunk, length)) {
        stream.next_in = chunk;
        stream.avail_in = length;
        while (stream.avail_in > 0) {
            stream.next_out = discard;
            stream.avail_out = sizeof discard;
            lzma_ret status = lzma_code(&stream, LZMA_RUN);
            if (status == LZMA_STREAM_END) {
                std::uint64_t end = reader.chunkStart() + (length - stream.avail_in);
                return input.seek(end) ? end : 0;
            }
            if (status != LZMA_OK) {
                return 0;
            }
        }
    }
    return 0;
}

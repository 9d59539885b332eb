#include "plugins/bz2/Bz2parser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Chunkreader.h"
#include "plugins/common/Signatureset.h"

#include <bzlib.h>

#include <cstring>

namespace {

// The block magic, the first 48 bits of pi in binary-coded decimal.
const unsigned char blockMagic[] = {0x31, 0x41, 0x59, 0x26, 0x53, 0x59};

constexpr std::size_t discardSize = 64 * 1024;

// libbz2's stream, ended whatever way the decoding leaves.
class Decompressor {
public:
    Decompressor()
    {
        std::memset(&stream, 0, sizeof stream);
        ready = BZ2_bzDecompressInit(&stream, 0, 0) == BZ_OK;
    }
    ~Decompressor()
    {
        if (ready) {
            BZ2_bzDecompressEnd(&stream);
        }
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    bz_stream stream;
    bool ready;
};

}

const SignatureSet& Bz2Parser::signatures()
{
    // "BZh", a block size from '1' to '9' (the mask leaves its low four bits free), the magic.
    static const SignatureSet set = SignatureSet().add(
        0, {'B', 'Z', 'h', 0x30, 0x31, 0x41, 0x59, 0x26, 0x53, 0x59},
        {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    return set;
}

bool Bz2Parser::detect(const unsigned char* data)
{
    return data[0] == 'B' && data[1] == 'Z' && data[2] == 'h' && data[3] >= '1' && data[3] <= '9' &&
           std::memcmp(data + 4, blockMagic, sizeof blockMagic) == 0;
}

std::uint64_t Bz2Parser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    Decompressor decompressor;
    if (!decompressor.ready) {
        return 0;
    }
    bz_stream& stream = decompressor.stream;
    static thread_local char discard[discardSize];
    ChunkReader reader(input, 0);
    const unsigned char* chunk = nullptr;
    std::size_t length = 0;
    while (reader.next(chunk, length)) {
        stream.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(chunk));
        stream.avail_in = static_cast<unsigned>(length);
        while (stream.avail_in > 0) {
            stream.next_out = discard;
            stream.avail_out = sizeof discard;
            const unsigned before = stream.avail_in;
            int status = BZ2_bzDecompress(&stream);
            if (status == BZ_STREAM_END) {
                std::uint64_t end = reader.chunkStart() + (length - stream.avail_in);
                return input.seek(end) ? end : 0;
            }
            if (status != BZ_OK || (stream.avail_in == before && stream.avail_out == sizeof discard)) {
                return 0;
            }
        }
    }
    return 0;
}

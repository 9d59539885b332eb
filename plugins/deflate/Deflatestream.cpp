#include "plugins/deflate/Deflatestream.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Chunkreader.h"

#include <zlib.h>

#include <cstring>

namespace {

// The most a deflate stream can refer back to, so the least output space that keeps inflate going.
constexpr std::size_t windowBytes = 32 * 1024;

// zlib's stream, ended whatever way the inflation leaves.
class Inflater {
public:
    Inflater()
    {
        std::memset(&stream, 0, sizeof stream);
        ready = inflateInit2(&stream, -15) == Z_OK;
    }
    ~Inflater()
    {
        if (ready) {
            inflateEnd(&stream);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream stream;
    bool ready;
};

}

DeflateStream::Result DeflateStream::inflate(ByteCursor& input, std::uint64_t start, bool pastLimit)
{
    Result result;
    Inflater inflater;
    if (!inflater.ready) {
        return result;
    }
    z_stream& stream = inflater.stream;
    static thread_local unsigned char discard[windowBytes];
    ChunkReader reader(input, start, pastLimit);
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
    const unsigned char* chunk = nullptr;
    std::size_t length = 0;
    while (reader.next(chunk, length)) {
        stream.next_in = const_cast<Bytef*>(chunk);
        stream.avail_in = static_cast<uInt>(length);
        while (stream.avail_in > 0) {
            stream.next_out = discard;
            stream.avail_out = sizeof discard;
            int status = ::inflate(&stream, Z_NO_FLUSH);
            std::size_t produced = sizeof discard - stream.avail_out;
            crc = static_cast<std::uint32_t>(crc32(crc, discard, static_cast<uInt>(produced)));
            result.inflatedLength += produced;
            if (status == Z_STREAM_END) {
                // What is left of the output window is flushed by the next calls; none is owed here,
                // as inflate returns Z_STREAM_END only once everything is out.
                result.outcome = Outcome::Ended;
                result.end = reader.chunkStart() + (length - stream.avail_in);
                result.crc = crc;
                return result;
            }
            if (status != Z_OK && status != Z_BUF_ERROR) {
                return result;
            }
            if (status == Z_BUF_ERROR && stream.avail_in > 0 && produced == 0) {
                return result;
            }
        }
    }
    if (reader.atStop()) {
        result.outcome = Outcome::Unfinished;
        result.stoppedByLimit = reader.stoppedByLimit();
    }
    return result;
}

bool DeflateStream::skip(ByteCursor& input)
{
    Result result = inflate(input, input.position());
    return result.outcome == Outcome::Ended && input.seek(result.end);
}

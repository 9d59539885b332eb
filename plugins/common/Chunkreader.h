#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteCursor;

// Hands a stretch of the input to a decoder (zlib, libbz2, liblzma) a chunk at a time, from a
// start position up to the cursor's limit or, for a part that only decides whether a find goes on,
// up to the end of the input. The chunks start small and grow, as the cursor's blocks do: garbage
// makes a decoder fail within its first bytes, and a long stream then costs few reads. Only one
// chunk is held at a time, so memory stays bounded however long the stream.
class ChunkReader {
public:
    ChunkReader(ByteCursor& input, std::uint64_t start, bool pastLimit = false);

    // The next chunk; false at the stop (the limit, or the input's end) or on a failed read.
    bool next(const unsigned char*& data, std::size_t& length);
    // Where the chunk handed out last begins.
    std::uint64_t chunkStart() const;
    // Whether everything up to the stop has been handed out (rather than a read having failed).
    bool atStop() const;
    // Whether the stop is the limit while the input goes on: a decoder that still wants more
    // there has met the size window, not the end of the input.
    bool stoppedByLimit() const;

private:
    ByteCursor& input;
    std::uint64_t position;
    std::uint64_t start = 0;
    std::uint64_t stop;
    std::size_t nextSize;
    std::vector<unsigned char> chunk;
};

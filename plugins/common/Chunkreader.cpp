#include "plugins/common/Chunkreader.h"

#include "plugins/common/Bytecursor.h"

namespace {
constexpr std::size_t firstChunkSize = 512;
constexpr std::size_t largestChunkSize = 64 * 1024;
}

ChunkReader::ChunkReader(ByteCursor& input, std::uint64_t start, bool pastLimit)
    : input(input), position(start), start(start), stop(pastLimit ? input.inputLength() : input.limit()),
      nextSize(firstChunkSize)
{
}

bool ChunkReader::next(const unsigned char*& data, std::size_t& length)
{
    if (position >= stop) {
        return false;
    }
    std::uint64_t left = stop - position;
    length = left < nextSize ? static_cast<std::size_t>(left) : nextSize;
    if (nextSize < largestChunkSize) {
        nextSize *= 2;
    }
    if (chunk.size() < length) {
        chunk.resize(length);
    }
    if (!input.peek(position, chunk.data(), length)) {
        return false;
    }
    data = chunk.data();
    start = position;
    position += length;
    return true;
}

std::uint64_t ChunkReader::chunkStart() const
{
    return start;
}

bool ChunkReader::atStop() const
{
    return position >= stop;
}

bool ChunkReader::stoppedByLimit() const
{
    return position >= stop && stop < input.inputLength();
}

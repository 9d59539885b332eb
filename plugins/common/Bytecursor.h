#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class IByteSource;

// Walks an embedded file front to back, reading its input in blocks. Positions are counted from
// the file's first byte (the origin in the input). Nothing at or beyond the limit, the largest
// size the caller would accept or the end of the input, whichever comes first, is ever read, so a
// corrupt length field ends a parse at once instead of sending it through data that cannot belong
// to the file. Every operation that returns false has hit the limit; the parse then rejects the
// file.
//
// The first block read is small and each further one twice as large, up to a ceiling: most
// candidates are rejected within their first few hundred bytes, and those should cost no more.
class ByteCursor {
public:
    ByteCursor(IByteSource& source, std::uint64_t origin, std::uint64_t limit);

    std::uint64_t position() const;
    // The first position that cannot be read: the caller's limit or the input's end.
    std::uint64_t limit() const;
    // The bytes of the input from the origin to its end, whatever the caller's limit. A format
    // whose last part may run "to the end of the input" takes it only when the end lies there.
    std::uint64_t inputLength() const;

    bool readByte(unsigned char& value);
    bool read(unsigned char* target, std::size_t count);
    bool readLittleEndian16(std::uint16_t& value);
    bool readLittleEndian32(std::uint32_t& value);
    bool readBigEndian16(std::uint16_t& value);
    bool readBigEndian32(std::uint32_t& value);

    // Moves forward without reading; a later read, or hasBytes, finds out whether the bytes exist.
    bool skip(std::uint64_t count);
    // Moves to any position, backwards too; false beyond the limit.
    bool seek(std::uint64_t target);
    // Moves to just past the next byte equal to value.
    bool skipPast(unsigned char value);
    // Hands the next count bytes to sink(data, length) a block at a time, in order. False, with
    // nothing handed over, when they reach past the limit.
    template <class Consumer>
    bool consume(std::uint64_t count, Consumer&& sink);

    // Whether the input holds every position below end, and end lies within the limit.
    bool hasBytes(std::uint64_t end);
    // Copies the count bytes at position without moving, even those beyond the caller's limit
    // (never beyond the input). A format that tells its end only by what follows (a file that may
    // go on in a further part) looks that far past the largest size the caller would accept:
    // otherwise a file too large for the limit would pass for its first part. Such a further part
    // may itself have to be walked to its end to be told from a damaged one, so any position of
    // the input may be peeked at, not only those within the limit.
    bool peek(std::uint64_t position, unsigned char* target, std::size_t count);

private:
    // Makes the byte at the current position the first of the block in memory.
    bool fill();
    std::size_t buffered() const;

    IByteSource& source;
    std::uint64_t origin;
    std::uint64_t end;
    std::uint64_t inputEnd;
    std::size_t nextBlockSize;
    std::uint64_t current = 0;
    std::vector<unsigned char> block;
    std::uint64_t blockStart = 0;
    std::size_t blockLength = 0;
};

inline std::uint64_t ByteCursor::position() const
{
    return current;
}

inline std::uint64_t ByteCursor::limit() const
{
    return end;
}

inline std::uint64_t ByteCursor::inputLength() const
{
    return inputEnd;
}

inline std::size_t ByteCursor::buffered() const
{
    if (current < blockStart || current - blockStart >= blockLength) {
        return 0;
    }
    return blockLength - static_cast<std::size_t>(current - blockStart);
}

inline bool ByteCursor::readByte(unsigned char& value)
{
    if (buffered() == 0 && !fill()) {
        return false;
    }
    value = block[static_cast<std::size_t>(current - blockStart)];
    ++current;
    return true;
}

template <class Consumer>
bool ByteCursor::consume(std::uint64_t count, Consumer&& sink)
{
    // A length that reaches past the limit is refused before a byte behind it is read: a corrupt
    // length field costs nothing, however far it points.
    if (count > end - current) {
        return false;
    }
    while (count > 0) {
        if (buffered() == 0 && !fill()) {
            return false;
        }
        std::size_t length = buffered();
        if (length > count) {
            length = static_cast<std::size_t>(count);
        }
        sink(block.data() + static_cast<std::size_t>(current - blockStart), length);
        current += length;
        count -= length;
    }
    return true;
}

#include "plugins/common/Bytecursor.h"

#include "plugins/common/Bytes.h"
#include "plugins/common/IByteSource.h"

#include <cstring>

namespace {
constexpr std::size_t firstBlockSize = 512;
constexpr std::size_t largestBlockSize = 64 * 1024;
}

ByteCursor::ByteCursor(IByteSource& source, std::uint64_t origin, std::uint64_t limit)
    : source(source), origin(origin), end(limit), nextBlockSize(firstBlockSize)
{
    const std::uint64_t length = source.size();
    inputEnd = length > origin ? length - origin : 0;
    if (end > inputEnd) {
        end = inputEnd;
    }
}

bool ByteCursor::fill()
{
    if (current >= end) {
        return false;
    }
    std::uint64_t wanted = end - current;
    std::size_t count = wanted < nextBlockSize ? static_cast<std::size_t>(wanted) : nextBlockSize;
    if (block.size() < count) {
        block.resize(count);
    }
    if (nextBlockSize < largestBlockSize) {
        nextBlockSize *= 2;
    }
    blockStart = current;
    blockLength = source.readAt(origin + current, block.data(), count);
    return blockLength > 0;
}

bool ByteCursor::read(unsigned char* target, std::size_t count)
{
    return consume(count, [&target](const unsigned char* data, std::size_t length) {
        std::memcpy(target, data, length);
        target += length;
    });
}

bool ByteCursor::readLittleEndian16(std::uint16_t& value)
{
    unsigned char bytes[2];
    if (!read(bytes, sizeof bytes)) {
        return false;
    }
    value = littleEndian16(bytes);
    return true;
}

bool ByteCursor::readLittleEndian32(std::uint32_t& value)
{
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes)) {
        return false;
    }
    value = littleEndian32(bytes);
    return true;
}

bool ByteCursor::readBigEndian16(std::uint16_t& value)
{
    unsigned char bytes[2];
    if (!read(bytes, sizeof bytes)) {
        return false;
    }
    value = bigEndian16(bytes);
    return true;
}

bool ByteCursor::readBigEndian32(std::uint32_t& value)
{
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes)) {
        return false;
    }
    value = bigEndian32(bytes);
    return true;
}

bool ByteCursor::skip(std::uint64_t count)
{
    if (count > end - current) {
        current = end;
        return false;
    }
    current += count;
    return true;
}

bool ByteCursor::seek(std::uint64_t target)
{
    if (target > end) {
        current = end;
        return false;
    }
    current = target;
    return true;
}

bool ByteCursor::skipPast(unsigned char value)
{
    for (;;) {
        if (buffered() == 0 && !fill()) {
            return false;
        }
        const unsigned char* start = block.data() + static_cast<std::size_t>(current - blockStart);
        std::size_t length = buffered();
        const void* found = std::memchr(start, value, length);
        if (found != nullptr) {
            current += static_cast<std::size_t>(static_cast<const unsigned char*>(found) - start) + 1;
            return true;
        }
        current += length;
    }
}

bool ByteCursor::hasBytes(std::uint64_t stop)
{
    if (stop > end) {
        return false;
    }
    if (stop == 0) {
        return true;
    }
    std::uint64_t last = stop - 1;
    if (last >= blockStart && last - blockStart < blockLength) {
        return true;
    }
    unsigned char byte;
    return source.readAt(origin + last, &byte, 1) == 1;
}

bool ByteCursor::peek(std::uint64_t position, unsigned char* target, std::size_t count)
{
    if (position > inputEnd || count > inputEnd - position) {
        return false;
    }
    return source.readAt(origin + position, target, count) == count;
}

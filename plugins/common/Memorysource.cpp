#include "plugins/common/Memorysource.h"

#include <algorithm>
#include <cstring>

MemorySource::MemorySource(const unsigned char* data, std::size_t size) : data(data), length(size)
{
}

std::size_t MemorySource::readAt(std::uint64_t position, unsigned char* target, std::size_t count)
{
    if (position >= length) {
        return 0;
    }
    std::size_t available = length - static_cast<std::size_t>(position);
    std::size_t copied = std::min(count, available);
    std::memcpy(target, data + position, copied);
    return copied;
}

std::uint64_t MemorySource::size() const
{
    return length;
}

#include "plugins/common/Memorysource.h"

#include <algorithm>
#include <cstring>

MemorySource::MemorySource(const unsigned char* data, std::size_t size) : data(data), size(size)
{
}

std::size_t MemorySource::readAt(std::uint64_t position, unsigned char* target, std::size_t count)
{
    if (position >= size) {
        return 0;
    }
    std::size_t available = size - static_cast<std::size_t>(position);
    std::size_t copied = std::min(count, available);
    std::memcpy(target, data + position, copied);
    return copied;
}

#include "plugins/common/Chainmemory.h"

bool ChainMemory::knows(const std::string& path, std::uint64_t position)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (path != inputPath || position < lastAsked) {
        positions.clear();
        inputPath = path;
        lastAsked = position;
        return false;
    }
    lastAsked = position;
    positions.erase(positions.begin(), positions.lower_bound(position));
    return !positions.empty() && *positions.begin() == position;
}

bool ChainMemory::holds(const std::string& path, std::uint64_t position)
{
    std::lock_guard<std::mutex> lock(mutex);
    return path == inputPath && position >= lastAsked && positions.count(position) > 0;
}

void ChainMemory::remember(const std::string& path, std::uint64_t origin, const std::vector<std::uint64_t>& offsets)
{
    if (offsets.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (path != inputPath) {
        positions.clear();
        inputPath = path;
    }
    for (std::uint64_t offset : offsets) {
        positions.insert(positions.end(), origin + offset);
    }
}

void ChainMemory::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    positions.clear();
    inputPath.clear();
    lastAsked = 0;
}

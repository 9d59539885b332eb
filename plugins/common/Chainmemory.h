#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// The positions of one input at which a chain plug-in knows, without a walk, that no find of its
// own begins: the later members of a file it found, and the later members of a walk that failed,
// from which the same walk would fail again. One memory serves the calls of one plug-in object
// and may be asked from several threads at once.
//
// The scan moves forward through an input, so what lies behind the position asked about is
// forgotten; another path, or a position before the last one asked about (the same input scanned
// again), starts it afresh.
class ChainMemory {
public:
    // Whether position of the input at path is known; forgets what lies before it.
    bool knows(const std::string& path, std::uint64_t position);
    // What knows would answer now, for a call beside the scan's order: changes nothing.
    bool holds(const std::string& path, std::uint64_t position);
    // Adds origin + offset for each offset given, for the input at path.
    void remember(const std::string& path, std::uint64_t origin, const std::vector<std::uint64_t>& offsets);
    void clear();

private:
    std::mutex mutex;
    std::string inputPath;
    std::uint64_t lastAsked = 0;
    std::set<std::uint64_t> positions;
};

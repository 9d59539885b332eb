#pragma once

#include "framework/ByteRange.h"

#include <cstdint>
#include <vector>

// The stretches of one input that could not be read, ascending, with overlapping and adjacent
// ones merged, so that a stretch found again (the window a block shares with the next, a plug-in
// reading what the scan read) is still told once.
class UnreadableRanges {
public:
    void clear() { list.clear(); }
    void add(const ByteRange& range);
    void add(const std::vector<ByteRange>& ranges);
    void add(const UnreadableRanges& other) { add(other.list); }
    // True when a byte of the length bytes from offset is unreadable.
    bool touches(std::uint64_t offset, std::uint64_t length) const;
    // The first stretch that ends after offset; null when there is none.
    const ByteRange* firstEndingAfter(std::uint64_t offset) const;
    const std::vector<ByteRange>& ranges() const { return list; }
    bool empty() const { return list.empty(); }

private:
    std::vector<ByteRange> list;
};

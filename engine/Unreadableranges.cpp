#include "engine/Unreadableranges.h"

#include <algorithm>

void UnreadableRanges::add(const ByteRange& range) {
    if (range.length == 0) return;
    // The first stretch that reaches range or lies after it; a stretch that ends where range
    // begins is merged with it.
    auto at = std::lower_bound(list.begin(), list.end(), range.offset,
                               [](const ByteRange& known, std::uint64_t offset) { return known.end() < offset; });
    if (at == list.end() || at->offset > range.end()) {
        list.insert(at, range);
        return;
    }
    std::uint64_t begin = std::min(at->offset, range.offset);
    std::uint64_t end = range.end();
    auto last = at;
    while (last != list.end() && last->offset <= range.end()) {
        end = std::max(end, last->end());
        ++last;
    }
    *at = ByteRange{begin, end - begin};
    list.erase(at + 1, last);
}

void UnreadableRanges::add(const std::vector<ByteRange>& ranges) {
    for (const ByteRange& range : ranges) add(range);
}

bool UnreadableRanges::touches(std::uint64_t offset, std::uint64_t length) const {
    if (length == 0) return false;
    const ByteRange* next = firstEndingAfter(offset);
    return next != nullptr && next->offset < offset + length;
}

const ByteRange* UnreadableRanges::firstEndingAfter(std::uint64_t offset) const {
    const auto at = std::upper_bound(list.begin(), list.end(), offset,
                                     [](std::uint64_t value, const ByteRange& known) { return value < known.end(); });
    return at == list.end() ? nullptr : &*at;
}

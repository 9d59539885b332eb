#pragma once

#include "engine/Unreadableranges.h"

#include <cstdint>
#include <vector>

class IMemory;
class IRandomAccessFile;
class IResource;
class ScanBuffer;

// The input a run scans, as its plug-ins read it through the host while they extract: what the
// scan buffer holds comes from memory, anything else from a file of its own, opened at the first
// read that needs it, so that the scan's reader ahead and the plug-in never share a position.
// Most candidates that a plug-in rejects read only a few hundred bytes behind their position,
// which the block in memory already holds.
//
// Sectors that cannot be read read as zeros, as they do in the scan's blocks, so that a plug-in
// sees the input as the run does; a stretch known unreadable, from the scan or from an earlier
// read here, is not asked of the device again. Whether a find's bytes touched such a stretch is
// the run's to ask afterwards (touchesUnreadable), so a plug-in needs to know nothing of it.
class RunInput {
public:
    // All three belong to the run's factory; buffer is the run's scan buffer.
    RunInput(const ScanBuffer& buffer, IRandomAccessFile* file, IMemory* spill);
    RunInput(const RunInput&) = delete;
    RunInput& operator=(const RunInput&) = delete;

    // The input from here on: entry stays the run's, size is what the run scans of it.
    void open(IResource* entry, std::uint64_t size);
    std::uint64_t size() const { return length; }
    // Up to count bytes from offset, fewer only at the input's end; -1 when it cannot be read.
    std::int64_t read(std::uint64_t offset, unsigned char* target, std::uint32_t count);

    // Whether a byte of the length bytes from offset is known unreadable, by the scan's blocks
    // loaded so far or by the reads made here.
    bool touchesUnreadable(std::uint64_t offset, std::uint64_t length) const;
    // Every stretch of the input known unreadable so far, from both.
    UnreadableRanges unreadable() const;

private:
    std::int64_t readFile(std::uint64_t offset, unsigned char* target, std::uint32_t count);
    std::int64_t readDevice(std::uint64_t offset, unsigned char* target, std::uint32_t count);
    // The known stretch nearest ahead that ends after offset; null when none.
    const ByteRange* nextUnreadable(std::uint64_t offset) const;

    const ScanBuffer& buffer;
    IRandomAccessFile* file;
    IMemory* spill;
    IResource* entry = nullptr;
    std::uint64_t length = 0;
    bool fileOpen = false;
    // What reads here found unreadable in the current input.
    UnreadableRanges found;
    std::vector<ByteRange> newlyFound;
};

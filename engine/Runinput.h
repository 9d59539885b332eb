#pragma once

#include <cstdint>

class IMemory;
class IRandomAccessFile;
class IResource;
class ScanBuffer;

// The input a run scans, as its plug-ins read it through the host while they extract: what the
// scan buffer holds comes from memory, anything else from a file of its own, opened at the first
// read that needs it, so that the scan's reader ahead and the plug-in never share a position.
// Most candidates that a plug-in rejects read only a few hundred bytes behind their position,
// which the block in memory already holds.
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

private:
    std::int64_t readFile(std::uint64_t offset, unsigned char* target, std::uint32_t count);

    const ScanBuffer& buffer;
    IRandomAccessFile* file;
    IMemory* spill;
    IResource* entry = nullptr;
    std::uint64_t length = 0;
    bool fileOpen = false;
};

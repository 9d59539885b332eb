#pragma once

#include "framework/ByteRange.h"

#include <cstdint>
#include <vector>

class IMemory;
class IResource;
class IWritableRandomAccessFile;

// An existing file opened for reading at a movable 64-bit position. While it is open no one can
// open the same file for writing, and it cannot be opened while someone writes it. Failures are
// IOException; a failed call leaves the file that was open before open and in place.
class IRandomAccessFile {
public:
    // Opens the entry's file in place of the one open before; the position becomes 0.
    virtual void setFile(IResource* file) = 0;
    // Reads up to the block's size; returns the count read, 0 at the end. The bytes of the block
    // after the count keep what they held.
    virtual std::int32_t read(IMemory* block) = 0;
    // From the start. A position before the start is refused silently: the position stays.
    virtual void seek(std::int32_t offset) = 0;
    // The signed 64-bit offset high * 2^32 + low: from the start when it is 0 or more, from the
    // end when it is negative.
    virtual void seek(std::int32_t high, std::uint32_t low) = 0;
    virtual void seekFromCurrent(std::int32_t offset) = 0;
    // Copies count bytes from here to the target's position; stops early, writing only what was
    // read, when the source ends first.
    virtual void copyTo(IWritableRandomAccessFile* target, std::uint32_t count) = 0;
    // As read, but sectors that the device cannot read (a worn card or disk) do not fail it: the
    // block holds zeros there, the count includes them, and each stretch, as offsets of the file,
    // is appended to unreadable (ascending, adjacent ones merged). The failing stretch is tried a
    // bounded number of times, so a badly worn device is not read sector by sector. Any other
    // failure throws as read does.
    virtual std::int32_t readSalvaging(IMemory* block, std::vector<ByteRange>& unreadable) = 0;

protected:
    ~IRandomAccessFile() = default;
};

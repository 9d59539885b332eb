#pragma once

#include "framework/IRandomAccessFile.h"

#include <cstdint>

class IMemory;

// A random-access file opened for reading and writing, and by no one else meanwhile.
class IWritableRandomAccessFile : public virtual IRandomAccessFile {
public:
    // Writes the whole block at the current position.
    virtual void write(IMemory* block) = 0;
    // Writes the first size bytes of the block, size clipped to the block's size.
    virtual void write(IMemory* block, std::uint32_t size) = 0;

protected:
    ~IWritableRandomAccessFile() = default;
};

#pragma once

#include <cstdint>

// A resizable block of bytes for the file classes to read into and write from.
class IMemory {
public:
    virtual std::uint32_t getSize() = 0;
    // Keeps the first bytes up to the smaller size; new bytes are not initialised. When the
    // storage cannot be had, the block becomes empty and OutOfMemoryException is thrown.
    virtual void setSize(std::uint32_t size) = 0;
    // Null while the size is 0.
    virtual unsigned char* getPointer() = 0;

protected:
    ~IMemory() = default;
};

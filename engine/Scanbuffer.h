#pragma once

#include <cstdint>

class IMemory;
class IRandomAccessFile;
class IResource;

// The run's view of one input: consecutive blocks of positions, each in memory together with the
// window of bytes that follows its last position, so that a detector at any position of the block
// sees its whole window. Bytes past the end of the input read as zero, never as what an earlier
// block or input left there.
//
// The memory is one block of fixed size for the whole run (positions per block + window), however
// large the inputs and however few positions a block ends up with.
class ScanBuffer {
public:
    // Both belong to the run's factory.
    ScanBuffer(IMemory* memory, IRandomAccessFile* file);

    // Sizes the memory; OutOfMemoryException when it cannot be had.
    void reserve(std::uint32_t blockPositions, std::uint32_t window);
    // Opens the input (IOException when it is no file or cannot be opened); size is the number
    // of positions it is scanned over.
    void open(IResource* input, std::uint64_t size);
    // Reads the block whose first position is start, below the size; IOException when the input
    // cannot be read there.
    void load(std::uint64_t start);

    // The block's first byte, followed by positions() + window bytes.
    const unsigned char* data() const { return bytes; }
    std::uint32_t positions() const { return count; }

private:
    IMemory* memory;
    IRandomAccessFile* file;
    std::uint32_t blockPositions = 0;
    std::uint32_t window = 0;
    std::uint64_t size = 0;
    const unsigned char* bytes = nullptr;
    std::uint32_t count = 0;
};

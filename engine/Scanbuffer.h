#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

class IMemory;
class IRandomAccessFile;
class IResource;

// The run's view of one input: consecutive blocks of positions, each in memory together with the
// window of bytes that follows its last position, so that a detector at any position of the block
// sees its whole window. Bytes past the end of the input read as zero, never as what an earlier
// block or input left there.
//
// While the run scans one block, a reader thread of the buffer's own reads the next one into a
// second memory block, so that the copy out of the system's file cache (or the wait for a disk)
// overlaps the scan instead of adding to it. A read that fails there fails the load of that block,
// as a read made at the load would: the run sees the same positions and the same errors.
//
// The memory is two blocks of fixed size for the whole run (positions per block + window each),
// however large the inputs and however few positions a block ends up with.
class ScanBuffer {
public:
    // All three belong to the run's factory.
    ScanBuffer(IMemory* memory, IMemory* ahead, IRandomAccessFile* file);
    ~ScanBuffer();
    ScanBuffer(const ScanBuffer&) = delete;
    ScanBuffer& operator=(const ScanBuffer&) = delete;

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
    // The input's offset of data()[0], and how many bytes from there are the input's own (the
    // rest, up to positions() + window, are the zeros past its end). Both 0 before a load.
    std::uint64_t first() const { return blockStart; }
    std::uint32_t held() const { return heldBytes; }

private:
    // The state of the read ahead, shared with the reader thread under mutex.
    enum class Ahead { none, wanted, done };

    void readBlock(IMemory* target, std::uint64_t start, std::int32_t& got);
    void readAhead(std::uint64_t start);
    // Waits until the reader holds no request: afterwards the file and both blocks are the
    // caller's alone.
    void settle();
    void readerLoop();

    IMemory* memory;
    IMemory* ahead;
    IRandomAccessFile* file;
    std::uint32_t blockPositions = 0;
    std::uint32_t window = 0;
    std::uint64_t size = 0;
    const unsigned char* bytes = nullptr;
    std::uint32_t count = 0;
    std::uint64_t blockStart = 0;
    std::uint32_t heldBytes = 0;

    std::mutex mutex;
    std::condition_variable changed;
    Ahead state = Ahead::none;
    bool stopping = false;
    std::uint64_t aheadStart = 0;
    std::int32_t aheadGot = 0;
    std::exception_ptr aheadFailure;
    std::thread reader;
};

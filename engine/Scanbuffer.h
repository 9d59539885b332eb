#pragma once

#include "engine/Signaturematcher.h"
#include "engine/Unreadableranges.h"
#include "framework/ByteRange.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class IMemory;
class IRandomAccessFile;
class IResource;

// The run's view of one input: consecutive blocks of positions, each in memory together with the
// window of bytes that follows its last position, so that a detector at any position of the block
// sees its whole window. Bytes past the end of the input read as zero, never as what an earlier
// block or input left there.
//
// While the run asks the plug-ins over one block, reader threads of the buffer's own read the
// blocks that follow, each with a file of its own, and run the matcher over them: the copy out of
// the system's file cache and the search for signatures, the two costs that grow with every byte,
// overlap the run's own work and each other instead of adding to it. A read that fails there fails
// the load of that block, as a read made at the load would: the run sees the same positions, the
// same candidates and the same errors as one that reads and matches each block when it gets there.
// Sectors that the device cannot read fail nothing: they read as zeros, wherever the block was
// read, and the buffer keeps the stretches of every block it has loaded.
//
// The memory is a fixed number of blocks for the whole run (positions per block + window each),
// as many as fit the budget, however large the inputs and however few positions a block ends up
// with. The candidates of a block are kept up to a bound; past it the run matches the rest of the
// block itself, so that data on which a pattern matches at every byte costs no more memory.
class ScanBuffer {
public:
    // makeMemory and makeFile give objects of the run's factory, which outlive the buffer.
    ScanBuffer(std::function<IMemory*()> makeMemory, std::function<IRandomAccessFile*()> makeFile);
    ~ScanBuffer();
    ScanBuffer(const ScanBuffer&) = delete;
    ScanBuffer& operator=(const ScanBuffer&) = delete;

    // The positions per block for a window and a budget: as many as the budget leaves each of the
    // blocks wanted once their windows are taken, least at the least. Fewer blocks are read ahead
    // when the window is so large that each would get fewer than least; two at the least.
    static std::uint32_t positionsFor(std::uint32_t least, std::uint32_t window, std::uint64_t budget);

    // Sizes the memory within budget bytes; OutOfMemoryException when it cannot be had. matcher,
    // prepared already, finds the candidates of every block (none when it is null or empty); it
    // must outlive the buffer.
    void reserve(std::uint32_t blockPositions, std::uint32_t window, std::uint64_t budget,
                 const SignatureMatcher* matcher);
    // Opens the input (IOException when it is no file or cannot be opened); size is the number
    // of positions it is scanned over.
    void open(IResource* input, std::uint64_t size);
    // Reads the block whose first position is start, below the size; IOException when the input
    // cannot be read there.
    void load(std::uint64_t start);
    // Stops the reading ahead for the current input and waits for it: afterwards nothing of the
    // buffer runs beside the caller.
    void settle();

    // The block's first byte, followed by positions() + window bytes.
    const unsigned char* data() const { return bytes; }
    // The positions of every block but the input's last, as reserve was given them.
    std::uint32_t blockSize() const { return blockPositions; }
    // The stretches of the current input that the blocks loaded so far could not read (they hold
    // zeros there); cleared by open.
    const UnreadableRanges& unreadable() const { return unreadableSeen; }
    std::uint32_t positions() const { return count; }
    // The input's offset of data()[0], and how many bytes from there are the input's own (the
    // rest, up to positions() + window, are the zeros past its end). Both 0 before a load.
    std::uint64_t first() const { return blockStart; }
    std::uint32_t held() const { return heldBytes; }
    // The matcher's candidates at the block's positions below matchedUpTo(), relative to data(),
    // as SignatureMatcher::find gives them; the positions from there on are not matched yet.
    const std::vector<SignatureMatcher::Candidate>& candidates() const;
    std::uint32_t matchedUpTo() const;

    // The matcher is run over this many positions at a time, so that its list of candidates
    // stays small even where a pattern matches at every byte.
    static constexpr std::uint32_t matchPositions = 64 * 1024;

    // How many threads read ahead: one fewer than the machine's processors, at least one, at
    // most eight (the matcher rarely needs more to keep ahead of the run).
    static unsigned readerThreads();

private:
    enum class State { free, wanted, working, done };

    struct Slot {
        IMemory* memory = nullptr;
        State state = State::free;
        std::uint64_t start = 0;
        std::uint32_t positions = 0;
        std::uint32_t held = 0;
        std::uint32_t matched = 0;
        std::vector<SignatureMatcher::Candidate> candidates;
        std::vector<ByteRange> unreadable;
        std::exception_ptr failure;
    };

    // Reads and matches the block of slot, with file and scratch, on whatever thread calls it.
    void fill(Slot& slot, IRandomAccessFile* source, SignatureMatcher::Scratch* scratch);
    // Returns how many blocks it asked for.
    unsigned scheduleAfter(std::uint64_t start);
    void readerLoop(unsigned reader);
    void settleLocked(std::unique_lock<std::mutex>& lock);

    std::function<IMemory*()> makeMemory;
    std::function<IRandomAccessFile*()> makeFile;
    const SignatureMatcher* matcher = nullptr;
    std::uint32_t blockPositions = 0;
    std::uint32_t window = 0;
    std::uint64_t size = 0;

    // The caller's file and scratch, for the blocks it reads itself.
    IRandomAccessFile* file = nullptr;
    SignatureMatcher::ScratchHandle scratch;
    std::vector<IRandomAccessFile*> readerFiles;
    std::vector<SignatureMatcher::ScratchHandle> readerScratch;
    // How many readers have the current input open.
    unsigned readersOpen = 0;

    std::vector<Slot> slots;
    // The slot of the current block; slots.size() before the first load.
    std::size_t current = 0;
    const unsigned char* bytes = nullptr;
    std::uint32_t count = 0;
    std::uint64_t blockStart = 0;
    std::uint32_t heldBytes = 0;
    UnreadableRanges unreadableSeen;

    std::mutex mutex;
    // Readers that have the input open wait for work, the others for an input, the caller for a
    // block: apart, so that a block done wakes no reader and a block wanted wakes one that can
    // read it.
    std::condition_variable work;
    std::condition_variable idle;
    std::condition_variable finished;
    bool stopping = false;
    std::vector<std::thread> readers;
};

#include "engine/Scanbuffer.h"

#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

ScanBuffer::ScanBuffer(IMemory* memory, IMemory* ahead, IRandomAccessFile* file)
    : memory(memory), ahead(ahead), file(file) {}

ScanBuffer::~ScanBuffer() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (reader.joinable()) reader.join();
}

void ScanBuffer::reserve(std::uint32_t positionsPerBlock, std::uint32_t windowSize) {
    settle();
    blockPositions = positionsPerBlock;
    window = windowSize;
    memory->setSize(blockPositions + window);
    ahead->setSize(blockPositions + window);
    bytes = memory->getPointer();
    count = 0;
    blockStart = 0;
    heldBytes = 0;
}

void ScanBuffer::open(IResource* input, std::uint64_t inputSize) {
    settle();
    file->setFile(input);
    size = inputSize;
    count = 0;
    blockStart = 0;
    heldBytes = 0;
}

void ScanBuffer::readBlock(IMemory* target, std::uint64_t start, std::int32_t& got) {
    file->seek(static_cast<std::int32_t>(start >> 32), static_cast<std::uint32_t>(start));
    got = file->read(target);
}

void ScanBuffer::load(std::uint64_t start) {
    // Until the block is in, nothing in memory may be taken for the input's bytes.
    heldBytes = 0;
    std::int32_t got = 0;
    bool fetched = false;
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (state != Ahead::none && aheadStart == start) {
            changed.wait(lock, [this] { return state == Ahead::done; });
            state = Ahead::none;
            fetched = true;
            got = aheadGot;
            std::swap(memory, ahead);
            if (aheadFailure) std::rethrow_exception(std::exchange(aheadFailure, nullptr));
        }
    }
    if (!fetched) {
        settle();
        readBlock(memory, start, got);
    }
    unsigned char* target = memory->getPointer();
    bytes = target;
    const std::uint64_t left = size > start ? size - start : 0;
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, blockPositions));
    // A file that grew since its size was taken shows no more than that size.
    const std::uint64_t valid =
        std::min<std::uint64_t>(got > 0 ? static_cast<std::uint64_t>(got) : 0, left);
    const std::uint32_t total = memory->getSize();
    blockStart = start;
    heldBytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(valid, total));
    if (valid < total) {
        std::memset(target + valid, 0, total - static_cast<std::size_t>(valid));
    }
    if (left > blockPositions) readAhead(start + blockPositions);
}

void ScanBuffer::readAhead(std::uint64_t start) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!reader.joinable()) reader = std::thread([this] { readerLoop(); });
        aheadStart = start;
        aheadFailure = nullptr;
        state = Ahead::wanted;
    }
    changed.notify_all();
}

void ScanBuffer::settle() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return state != Ahead::wanted; });
    state = Ahead::none;
    aheadFailure = nullptr;
}

void ScanBuffer::readerLoop() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || state == Ahead::wanted; });
        if (stopping) return;
        const std::uint64_t start = aheadStart;
        IMemory* target = ahead;
        lock.unlock();
        std::int32_t got = 0;
        std::exception_ptr failure;
        try {
            readBlock(target, start, got);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        aheadGot = got;
        aheadFailure = failure;
        state = Ahead::done;
        changed.notify_all();
    }
}

#include "engine/Scanbuffer.h"

#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"

#include <algorithm>
#include <cstring>

ScanBuffer::ScanBuffer(IMemory* memory, IRandomAccessFile* file) : memory(memory), file(file) {}

void ScanBuffer::reserve(std::uint32_t positionsPerBlock, std::uint32_t windowSize) {
    blockPositions = positionsPerBlock;
    window = windowSize;
    memory->setSize(blockPositions + window);
    bytes = memory->getPointer();
    count = 0;
}

void ScanBuffer::open(IResource* input, std::uint64_t inputSize) {
    file->setFile(input);
    size = inputSize;
    count = 0;
}

void ScanBuffer::load(std::uint64_t start) {
    file->seek(static_cast<std::int32_t>(start >> 32), static_cast<std::uint32_t>(start));
    const std::int32_t got = file->read(memory);
    unsigned char* target = memory->getPointer();
    bytes = target;
    const std::uint64_t left = size > start ? size - start : 0;
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, blockPositions));
    // A file that grew since its size was taken shows no more than that size.
    const std::uint64_t valid =
        std::min<std::uint64_t>(got > 0 ? static_cast<std::uint64_t>(got) : 0, left);
    const std::uint32_t total = memory->getSize();
    if (valid < total) {
        std::memset(target + valid, 0, total - static_cast<std::size_t>(valid));
    }
}

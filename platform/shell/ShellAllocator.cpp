#include "platform/shell/ShellAllocator.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<std::size_t> liveBlocks{0};

}  // namespace

void* ShellAllocator::alloc(std::size_t size) {
    // A zero-byte request still yields a block that free() accepts.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void ShellAllocator::free(void* block) {
    if (block == nullptr) return;
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

std::size_t ShellAllocator::outstanding() { return liveBlocks.load(std::memory_order_relaxed); }

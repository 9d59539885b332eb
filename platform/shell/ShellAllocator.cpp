#include "platform/shell/ShellAllocator.h"

#include <cstdlib>

void* ShellAllocator::alloc(std::size_t size) {
    // A zero-byte request still yields a block that free() accepts.
    return std::malloc(size == 0 ? 1 : size);
}

void ShellAllocator::free(void* block) {
    std::free(block);
}

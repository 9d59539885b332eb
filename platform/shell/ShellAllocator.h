#pragma once

#include <cstddef>

// The one allocator of item-id lists: every list that the namespace hands out comes from it, and
// whoever owns such a list gives it back here.
class ShellAllocator {
public:
    ShellAllocator() = default;
    ShellAllocator(const ShellAllocator&) = delete;
    ShellAllocator& operator=(const ShellAllocator&) = delete;

    // nullptr when there is no memory.
    void* alloc(std::size_t size);
    // Takes nullptr too.
    void free(void* block);

    // The blocks handed out by every allocator and not yet given back: a leak shows here.
    static std::size_t outstanding();
};

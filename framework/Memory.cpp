#include "framework/Memory.h"

#include "framework/Exception.h"

#include <cstdlib>

Memory::Memory() = default;

Memory::~Memory() { std::free(block); }

std::uint32_t Memory::getSize() { return size; }

void Memory::setSize(std::uint32_t newSize) {
    if (newSize == 0) {
        std::free(block);
        block = nullptr;
        size = 0;
        return;
    }
    // realloc keeps the first bytes and leaves the new ones as they come.
    void* grown = std::realloc(block, newSize);
    if (grown == nullptr) {
        std::free(block);
        block = nullptr;
        size = 0;
        throw OutOfMemoryException("メモリアロケーションエラー。データは無効になりました。", "Memory::setSize");
    }
    block = static_cast<unsigned char*>(grown);
    size = newSize;
}

unsigned char* Memory::getPointer() { return block; }

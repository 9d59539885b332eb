#pragma once

#include "framework/IMemory.h"

#include <cstdint>

// A resizable block of bytes.
class Memory : public IMemory {
public:
    Memory();
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    std::uint32_t getSize() override;
    void setSize(std::uint32_t size) override;
    unsigned char* getPointer() override;

    virtual ~Memory();

private:
    std::uint32_t size = 0;
    unsigned char* block = nullptr;  // owned; null while size is 0
};

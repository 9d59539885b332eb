#pragma once

#include "plugins/common/IByteSource.h"

// Bytes already in memory, borrowed for the source's lifetime.
class MemorySource final : public IByteSource {
public:
    MemorySource(const unsigned char* data, std::size_t size);

    std::size_t readAt(std::uint64_t position, unsigned char* target, std::size_t count) override;
    std::uint64_t size() const override;

private:
    const unsigned char* data;
    std::size_t length;
};

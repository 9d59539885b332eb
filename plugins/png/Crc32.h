#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of ISO 3309 that PNG stores after every chunk.
class Crc32 {
public:
    void update(const unsigned char* data, std::size_t length);
    std::uint32_t value() const;

private:
    std::uint32_t state = 0xFFFFFFFFu;
};

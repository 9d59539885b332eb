#pragma once

#include <cstdint>

// A stretch of a file's bytes: length bytes from offset.
struct ByteRange {
    std::uint64_t offset;
    std::uint64_t length;

    std::uint64_t end() const { return offset + length; }
};

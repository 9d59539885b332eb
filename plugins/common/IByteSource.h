#pragma once

#include <cstddef>
#include <cstdint>

// Random access to the bytes of one input: a file for the plug-ins, memory for the fuzzers.
class IByteSource {
public:
    virtual ~IByteSource() = default;

    // Copies up to count bytes from position into target and returns how many it copied; fewer
    // than count only at the end of the input or on a read error.
    virtual std::size_t readAt(std::uint64_t position, unsigned char* target, std::size_t count) = 0;
};

#pragma once

#include <cstddef>
#include <cstdint>

// Random access to the bytes of one input: a file for the plug-ins, memory for the fuzzers.
class IByteSource {
public:
    virtual ~IByteSource() = default;

    // Copies up to count bytes from position into target and returns how many it copied; fewer
    // than count only at the end of the input, on a read error or once the run is cancelled.
    virtual std::size_t readAt(std::uint64_t position, unsigned char* target, std::size_t count) = 0;
    // The input's length in bytes, as it was when the source was opened.
    virtual std::uint64_t size() const = 0;
};

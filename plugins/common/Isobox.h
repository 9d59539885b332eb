#pragma once

#include <cstdint>

class ByteCursor;

// One box of the ISO base media family (MP4, QuickTime, HEIF, JPEG 2000): a 32-bit big-endian
// size, a four-character type, and a 64-bit size after the type when the first is 1. A size of 0
// means "to the end of the container", which a caller resolves itself: only it knows where that
// end lies and whether it may be trusted.
struct IsoBox {
    enum class Status {
        // The header is whole and its size covers it.
        valid,
        // There are not enough bytes left for a header.
        missing,
        // The size is smaller than the header, or the box ends past its container.
        malformed,
    };

    std::uint64_t start = 0;
    // Past the box's last byte; equal to start while the box runs to the end of its container.
    std::uint64_t end = 0;
    std::uint32_t type = 0;
    unsigned headerSize = 0;
    bool toEnd = false;

    std::uint64_t payloadStart() const
    {
        return start + headerSize;
    }

    // Reads the header at position, which the cursor's limit must not have passed; the header
    // itself may lie beyond the limit (peeked, not read), so that a walk sees a box that starts
    // inside the limit and tells a file too large for it from one that ended. A box whose end
    // passes containerEnd is malformed; containerEnd bounds nothing when it is UINT64_MAX.
    static Status read(ByteCursor& input, std::uint64_t position, std::uint64_t containerEnd, IsoBox& box);
    // The box of the given type among the children that lie in [first, containerEnd), every one
    // of them valid; false when there is none or a child is broken. The children must lie within
    // the cursor's limit.
    static bool findChild(ByteCursor& input, std::uint64_t first, std::uint64_t containerEnd, std::uint32_t type,
                          IsoBox& found);
};

constexpr std::uint32_t boxType(const char (&name)[5])
{
    return std::uint32_t{static_cast<unsigned char>(name[0])} << 24 |
           std::uint32_t{static_cast<unsigned char>(name[1])} << 16 |
           std::uint32_t{static_cast<unsigned char>(name[2])} << 8 |
           std::uint32_t{static_cast<unsigned char>(name[3])};
}

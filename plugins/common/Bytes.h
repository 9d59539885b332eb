#pragma once

#include <cstdint>
#include <cstring>

// Loads of fixed-width fields from raw bytes, for the detectors and the parsers. A detector's
// first test loads a whole word and compares it with a constant made by magic32 or magic16, so
// that almost every position of an input is rejected by one comparison.

inline std::uint16_t loadWord16(const unsigned char* data)
{
    std::uint16_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

inline std::uint32_t loadWord32(const unsigned char* data)
{
    std::uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// The value loadWord16/loadWord32 give for these bytes in this order, on this machine.
constexpr std::uint16_t magic16(unsigned char a, unsigned char b)
{
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::uint16_t>(a << 8 | b);
#else
    return static_cast<std::uint16_t>(b << 8 | a);
#endif
}

constexpr std::uint32_t magic32(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
{
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return std::uint32_t{a} << 24 | std::uint32_t{b} << 16 | std::uint32_t{c} << 8 | d;
#else
    return std::uint32_t{d} << 24 | std::uint32_t{c} << 16 | std::uint32_t{b} << 8 | a;
#endif
}

inline std::uint16_t littleEndian16(const unsigned char* data)
{
    return static_cast<std::uint16_t>(data[0] | data[1] << 8);
}

inline std::uint32_t littleEndian32(const unsigned char* data)
{
    return std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
           std::uint32_t{data[3]} << 24;
}

inline std::uint16_t bigEndian16(const unsigned char* data)
{
    return static_cast<std::uint16_t>(data[0] << 8 | data[1]);
}

inline std::uint32_t bigEndian32(const unsigned char* data)
{
    return std::uint32_t{data[0]} << 24 | std::uint32_t{data[1]} << 16 | std::uint32_t{data[2]} << 8 |
           std::uint32_t{data[3]};
}

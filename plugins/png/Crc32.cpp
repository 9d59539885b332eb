#include "plugins/png/Crc32.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> table = makeTable();

}

void Crc32::update(const unsigned char* data, std::size_t length)
{
    std::uint32_t c = state;
    for (std::size_t i = 0; i < length; ++i) {
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    state = c;
}

std::uint32_t Crc32::value() const
{
    return state ^ 0xFFFFFFFFu;
}

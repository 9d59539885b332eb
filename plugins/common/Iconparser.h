#pragma once

#include <cstdint>

class ByteCursor;

// An icon (ICO) or cursor (CUR) file: the directory header with its type, the entries, and the
// images they point at, each a PNG or a DIB (a bitmap's information header, palette, colour
// pixels and transparency mask). The file ends with its farthest image. Every image is checked
// against its entry: a PNG must chain its chunks from IHDR to IEND and fill its entry's size;
// a DIB's header must give the entry's size in pixels and its data must fit the entry.
class IconParser {
public:
    enum Type : std::uint16_t { icon = 1, cursor = 2 };

    // The directory header and its first entry.
    static constexpr unsigned windowSize = 22;

    static bool detect(const unsigned char* data, Type type);
    std::uint64_t measure(ByteCursor& input, Type type);

private:
    bool checkImage(ByteCursor& input, const unsigned char* entry, std::uint64_t offset, std::uint64_t size);
    bool checkPng(ByteCursor& input, std::uint64_t offset, std::uint64_t size);
    bool checkDib(ByteCursor& input, const unsigned char* entry, std::uint64_t size);
};

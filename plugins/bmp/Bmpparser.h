#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Windows or OS/2 bitmap: the file header, one of the known information headers, and pixel
// data that fits inside the size that the file header gives. That size is the file's length, and
// the input must hold all of it.
class BmpParser {
public:
    // The file header and the information header up to the bits per pixel.
    static constexpr unsigned windowSize = 30;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Windows or OS/2 (1.x and 2.x) bitmap: the file header, one of the known information headers,
// and the pixel data. The file's length is the size that the file header gives when that size
// holds the pixel data (and a version 5 header's ICC profile); when it is 0 or too small, as some
// writers leave it, the end of that data is the file's end. The input must hold all of it.
class BmpParser {
public:
    // The file header and the information header up to the bits per pixel.
    static constexpr unsigned windowSize = 30;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A PNG file: the signature, IHDR first, at least one IDAT, and IEND, every chunk with a valid
// type, and a matching CRC on every chunk but at most one ancillary one.
class PngParser {
public:
    // The signature and the length and type of the IHDR chunk that must follow it.
    static constexpr unsigned windowSize = 16;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Panasonic RW2 raw file: a little-endian TIFF IFD chain under the magic 0x55 ("IIU\0"), with
// its raw data named by the strip tags of an IFD.
// It comes before the plain TIFF plug-in, which would take the same file under the wrong kind.
class Rw2Parser {
public:
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

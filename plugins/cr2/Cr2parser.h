#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Canon CR2 raw file: a little-endian TIFF whose header goes on with "CR", the format's major
// version 2 and its minor version, then the offset of the raw IFD; the IFD chain holds image data.
// It comes before the plain TIFF plug-in, which would take the same file under the wrong kind.
class Cr2Parser {
public:
    static constexpr unsigned windowSize = 12;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

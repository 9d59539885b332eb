#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A TIFF picture, classic or BigTIFF, in either byte order, whose first IFD holds its image in
// strips or tiles. A TIFF structure whose first IFD holds tags alone is the EXIF block of some
// other file, not a picture, and is not taken.
class TifParser {
public:
    // The byte order, the magic and the first IFD offset (BigTIFF: the offset size and zero).
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

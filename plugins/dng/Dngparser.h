#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Digital Negative: a TIFF (classic or BigTIFF, either byte order) whose first IFD holds the
// DNGVersion tag, with image data in its IFDs.
// It comes before the plain TIFF plug-in, which would take the same file under the wrong kind.
class DngParser {
public:
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

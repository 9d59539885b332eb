#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Sony raw file: a classic TIFF whose first IFD names SONY as the camera's make and
// which holds sensor data, without the DNG version tag (a DNG made from a Sony file is a DNG).
// It comes before the plain TIFF plug-in, which would take the same file under the wrong kind.
class ArwParser {
public:
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

#pragma once

#include "plugins/common/Iconparser.h"

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A cursor file (CUR): the directory of images, each checked as PNG or DIB data, to its farthest image.
class CurParser {
public:
    static constexpr unsigned windowSize = IconParser::windowSize;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};

#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A GIF87a or GIF89a file: header, logical screen, optional global colour table, then images and
// extensions up to the trailer. Each image's LZW data is decoded far enough to know that its codes
// are valid and that they cover every pixel, because GIF has no checksum and no length that could
// tell a whole image from a cut one.
class GifParser {
public:
    static constexpr unsigned windowSize = 6;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    bool skipSubBlocks(ByteCursor& input);
    bool checkImage(ByteCursor& input);
    bool decodeImageData(ByteCursor& input, unsigned minimumCodeSize, std::uint64_t pixels);
};

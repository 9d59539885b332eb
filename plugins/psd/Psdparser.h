#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Photoshop document (PSD, or PSB, its large form): the header, the colour mode data, the image
// resources block by block, the layer and mask information with each layer's record and channel
// data, and the merged image data, raw or as RLE rows, which ends the file. Merged image data
// compressed with ZIP gives no end short of inflating it and is not taken.
class PsdParser {
public:
    // The header up to the colour mode.
    static constexpr unsigned windowSize = 26;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    bool readLength(ByteCursor& input, bool wide, std::uint64_t& length);
    bool skipResources(ByteCursor& input, std::uint64_t length);
    bool skipLayers(ByteCursor& input, std::uint64_t length);
    bool skipLayerInfo(ByteCursor& input, std::uint64_t length);
    bool skipImageData(ByteCursor& input);

    bool large = false;
    std::uint32_t channels = 0;
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    std::uint32_t depth = 0;
};

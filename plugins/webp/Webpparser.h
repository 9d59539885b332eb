#pragma once

#include "plugins/common/Riffparser.h"

class SignatureSet;

// A WebP picture: a RIFF form "WEBP" whose size its chunks fill. Its first chunk is a lossy
// ("VP8 "), lossless ("VP8L") or extended ("VP8X") one; an extended file holds a picture (with an
// optional "ALPH" before a lossy one) or, when it says it is animated, "ANIM" and frames ("ANMF",
// each holding its own picture), beside optional "ICCP", "EXIF" and "XMP " chunks.
class WebpParser final : public RiffParser {
public:
    // The form's header and the first chunk's identifier.
    static constexpr unsigned windowSize = 16;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size) override;
    bool isComplete() override;
    bool acceptsOpenForms() const override;

private:
    bool visitFrame(ByteCursor& input, std::uint64_t size);

    unsigned chunkCount = 0;
    bool extended = false;
    bool animated = false;
    bool sawPicture = false;
    bool sawAnimation = false;
    unsigned frames = 0;
};

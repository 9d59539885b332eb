#pragma once

#include "plugins/common/Iffparser.h"

class SignatureSet;

// An AIFF or AIFF-C sound: an IFF form "AIFF" or "AIFC" with its common chunk ("COMM": channels,
// sample frames, sample size, an extended-precision sample rate) and, when it has sample frames,
// its sound data chunk ("SSND").
class AifParser final : public IffParser {
public:
    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size) override;
    bool isComplete() override;

private:
    bool compressed = false;
    bool sawCommon = false;
    bool sawSound = false;
    std::uint32_t sampleFrames = 0;
};

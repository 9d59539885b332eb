#pragma once

#include "plugins/common/Riffparser.h"

class SignatureSet;

// A WAVE file: a RIFF form "WAVE" with a format chunk and, after it, a data chunk.
class WavParser final : public RiffParser {
public:
    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size) override;
    bool isComplete() override;

private:
    bool sawFormat = false;
    bool sawData = false;
};

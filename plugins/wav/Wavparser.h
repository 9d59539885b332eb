#pragma once

#include "plugins/common/Riffparser.h"

class SignatureSet;

// A WAVE file: a RIFF form "WAVE" (or its RF64 and BW64 kin, for files past 4 GiB) with a format
// chunk and, after it, a data chunk. A data chunk whose size was never written, in a recording
// that was never finished, holds the rest of the form or, when the form's size is missing too,
// whole sample frames up to the end of what may be read.
class WavParser final : public RiffParser {
public:
    // A recording never finished ends where the size window does, when it goes on past it.
    static constexpr bool mayEndAtLimit = true;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size) override;
    bool isComplete() override;
    bool acceptsLargeForms() const override;
    bool runsToEnd(std::uint32_t id) const override;
    std::uint32_t unitOfOpenChunk() const override;

private:
    bool sawFormat = false;
    bool sawData = false;
    std::uint16_t blockAlign = 1;
};

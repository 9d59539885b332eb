#pragma once

#include "plugins/common/Riffparser.h"

class SignatureSet;

// An AVI file: a RIFF form "AVI " whose first chunk is the header list "hdrl" beginning with the
// main header "avih", and which holds the list "movi". OpenDML files larger than one form carry
// further forms "AVIX" right after it; they belong to the file.
class AviParser final : public RiffParser {
public:
    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size) override;
    bool isComplete() override;

private:
    bool visitList(ByteCursor& input, std::uint32_t size);

    bool extension = false;
    unsigned chunkCount = 0;
    bool sawHeader = false;
    bool sawMovie = false;
};

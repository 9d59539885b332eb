#pragma once

#include "plugins/common/Riffparser.h"

class SignatureSet;

// An AVI file: a RIFF form "AVI " whose first list is the header list "hdrl" beginning with the
// main header "avih" (chunks such as JUNK may stand before it), and which holds the list "movi".
// OpenDML files larger than one form carry further forms "AVIX" right after it; they belong to
// the file. A recording never finished (form size 0) ends after its last whole chunk.
class AviParser final : public RiffParser {
public:
    // A recording never finished ends where the size window does, when it goes on past it.
    static constexpr bool mayEndAtLimit = true;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

protected:
    bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size) override;
    bool isComplete() override;

private:
    bool visitList(ByteCursor& input, std::uint64_t size);

    bool extension = false;
    bool sawHeader = false;
    bool sawMovie = false;
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/gif/Gifparser.h"

#include <string>

class GifPlugin final : public FormatPlugin<GifParser> {
public:
    // The memory of the chains is what keeps a crafted input linear; it is the object's, so
    // the calls come one after another.
    static constexpr bool callsConcurrently = false;

    GifPlugin();

    // Keeps what the parser learnt of the input's sub-block chains while the run goes through
    // one input front to back; a new input, or a new pass over it, starts afresh.
    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;

private:
    GifParser::ChainEnds chains;
    std::string chainsInput;
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/mpg/Mpgparser.h"

#include <string>

// Every pack of a program stream that repeats the system header (a DVD's navigation packs do,
// twice a second) starts a valid stream of its own, to the same end. The plug-in remembers the
// last stream it found in an input and takes no candidate inside it, so that one recording gives
// one find rather than one per pack.
class MpgPlugin final : public FormatPlugin<MpgParser> {
public:
    MpgPlugin();

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;

private:
    std::string candidatePath;
    std::uint64_t candidateOffset = 0;
    std::uint64_t measured = 0;
    std::string foundPath;
    std::uint64_t foundStart = 0;
    std::uint64_t foundEnd = 0;
};

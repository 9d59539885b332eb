#pragma once

#include "plugins/common/Chainmemory.h"
#include "plugins/common/Formatplugin.h"
#include "plugins/mpg/Mpgparser.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Every pack of a program stream that repeats the system header (a DVD's navigation packs do,
// twice a second) starts a valid stream of its own, to the same end. The plug-in remembers the
// last stream it found in an input and takes no candidate inside it, so that one recording gives
// one find rather than one per pack. A stream cut short or damaged fails from each of those packs
// as it failed from its first, so the packs of a walk that failed are remembered too, and none of
// them is walked again (which cost the square of the stream's length). Checked side by side, a call inside the last find settled so
// far skips its walk; settle tells whether the finds settled since bear that out.
class MpgPlugin final : public FormatPlugin<MpgParser> {
public:
    static constexpr bool callsConcurrently = true;

    MpgPlugin();

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;
    std::uint64_t measureCall(ByteCursor& input, Attempt& attempt) override;
    Settled settle(const ExtractCall& call, unsigned result, CallNote* note) override;

private:
    struct Note : CallNote {
        bool skipped = false;
        std::uint64_t measured = 0;
        std::vector<std::uint64_t> refusals;
    };

    // The walk of measure, keeping in refusals what a failed walk proved.
    std::uint64_t walk(ByteCursor& input, std::vector<std::uint64_t>& refusals);

    // Under memoryMutex.
    bool insideFound(const char* inputPath, std::uint64_t offset) const;
    void remember(const char* inputPath, std::uint64_t offset, std::uint64_t length);

    // Written on the run's thread, read by the calls beside it.
    std::mutex memoryMutex;
    std::string foundPath;
    std::uint64_t foundStart = 0;
    std::uint64_t foundEnd = 0;
    ChainMemory refused;
    // The extract running now, one after another.
    bool candidateInside = false;
    std::uint64_t measured = 0;
    std::vector<std::uint64_t> refusals;
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/mp3/Mp3parser.h"

#include <cstdint>
#include <mutex>
#include <string>

// Every frame of MPEG audio begins a valid chain of the frames after it; the run, which offers
// every position, would find each of them as a file of its own. A chain that begins inside the
// frames of the last file found in the same input is that file's tail and is not taken again.
// Checked side by side, a call inside the last find settled so far skips its walk; settle tells
// whether the finds settled since bear that out.
class Mp3Plugin final : public FormatPlugin<Mp3Parser> {
public:
    static constexpr bool callsConcurrently = true;

    Mp3Plugin();

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;
    std::uint64_t measureCall(ByteCursor& input, Attempt& attempt) override;
    Settled settle(const ExtractCall& call, unsigned result, CallNote* note) override;

private:
    struct Note : CallNote {
        bool skipped = false;
        std::uint64_t framesStart = 0;
    };

    // Under memoryMutex.
    bool insideLast(const char* inputPath, std::uint64_t offset) const;
    void remember(const char* inputPath, std::uint64_t offset, unsigned result, std::uint64_t framesStart);

    // Written on the run's thread, read by the calls beside it.
    std::mutex memoryMutex;
    std::string lastInput;
    std::uint64_t lastStart = 0;
    std::uint64_t lastEnd = 0;
    // The extract running now, one after another.
    bool candidateInside = false;
    std::uint64_t measuredFramesStart = 0;
};

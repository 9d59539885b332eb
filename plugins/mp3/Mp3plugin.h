#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/mp3/Mp3parser.h"

#include <string>

// Every frame of MPEG audio begins a valid chain of the frames after it; the run, which offers
// every position, would find each of them as a file of its own. A chain that begins inside the
// frames of the last file found in the same input is that file's tail and is not taken again.
class Mp3Plugin final : public FormatPlugin<Mp3Parser> {
public:
    Mp3Plugin();

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;

private:
    std::string lastInput;
    std::uint64_t lastStart = 0;
    std::uint64_t lastEnd = 0;
    std::uint64_t measuredFramesStart = 0;
};

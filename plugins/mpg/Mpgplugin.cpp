#include "plugins/mpg/Mpgplugin.h"

#include "plugins/common/Pluginexports.h"

MpgPlugin::MpgPlugin() : FormatPlugin("glintfetch.mpg", "MPEG プログラムストリーム動画", "mpg")
{
}

unsigned MpgPlugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath)
{
    candidatePath = inputPath != nullptr ? inputPath : "";
    candidateOffset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    measured = 0;
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        foundPath = candidatePath;
        foundStart = candidateOffset;
        foundEnd = candidateOffset + measured;
    }
    return result;
}

std::uint64_t MpgPlugin::measure(ByteCursor& input)
{
    if (candidatePath == foundPath && candidateOffset > foundStart && candidateOffset < foundEnd) {
        return 0;
    }
    measured = FormatPlugin::measure(input);
    return measured;
}

GLINTFETCH_EXPORT_PLUGIN(MpgPlugin)

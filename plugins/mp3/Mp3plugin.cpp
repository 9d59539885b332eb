#include "plugins/mp3/Mp3plugin.h"

#include "plugins/common/Pluginexports.h"

Mp3Plugin::Mp3Plugin() : FormatPlugin("glintfetch.mp3", "MP3 音声", "mp3")
{
}

std::uint64_t Mp3Plugin::measure(ByteCursor& input)
{
    Mp3Parser parser;
    const std::uint64_t length = parser.measure(input);
    measuredFramesStart = parser.framesStart();
    return length;
}

unsigned Mp3Plugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath)
{
    const std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    if (inputPath != nullptr && lastInput == inputPath && offset >= lastStart && offset < lastEnd) {
        return 0;
    }
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        lastInput = inputPath;
        lastStart = offset + measuredFramesStart;
        // The clamped result of a file past 4 GiB still covers its frames far enough.
        lastEnd = offset + result;
    }
    return result;
}

GLINTFETCH_EXPORT_PLUGIN(Mp3Plugin)

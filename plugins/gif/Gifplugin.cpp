#include "plugins/gif/Gifplugin.h"

#include "plugins/common/Pluginexports.h"

GifPlugin::GifPlugin() : FormatPlugin("glintfetch.gif", "GIF画像", "gif")
{
}

unsigned GifPlugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                            const char* outputPath)
{
    const std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    if (inputPath == nullptr || chainsInput != inputPath || offset < chains.origin) {
        chains.reset();
        chainsInput = inputPath != nullptr ? inputPath : "";
    }
    chains.origin = offset;
    return FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
}

std::uint64_t GifPlugin::measure(ByteCursor& input)
{
    GifParser parser(&chains);
    return parser.measure(input);
}

GLINTFETCH_EXPORT_PLUGIN(GifPlugin)

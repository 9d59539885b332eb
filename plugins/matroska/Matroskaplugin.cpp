#include "plugins/matroska/Matroskaplugin.h"

#include "plugins/common/Pluginexports.h"

MatroskaPlugin::MatroskaPlugin() : FormatPlugin("glintfetch.matroska", "Matroska・WebM 動画", "mkv")
{
}

bool MatroskaPlugin::detect(const unsigned char* data)
{
    const char* found = MatroskaParser::kindOf(data);
    if (found == nullptr) {
        return false;
    }
    kind = found;
    return true;
}

const char* MatroskaPlugin::getKind()
{
    return kind;
}

std::vector<const char*> MatroskaPlugin::kinds()
{
    return {"mkv", "webm"};
}

GLINTFETCH_EXPORT_PLUGIN(MatroskaPlugin)

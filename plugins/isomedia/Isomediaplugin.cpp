#include "plugins/isomedia/Isomediaplugin.h"

#include "plugins/common/Pluginexports.h"

IsoMediaPlugin::IsoMediaPlugin()
    : ChainPlugin("glintfetch.isomedia", "ISO メディアファイル（MP4・MOV・HEIC ほか）", "mp4")
{
}

bool IsoMediaPlugin::detect(const unsigned char* data)
{
    const char* found = IsoMediaParser::kindOf(data);
    if (found == nullptr) {
        return false;
    }
    kind = found;
    return true;
}

const char* IsoMediaPlugin::getKind()
{
    return kind;
}

std::vector<const char*> IsoMediaPlugin::kinds()
{
    return {"mp4", "mov", "3gp", "m4a", "heic", "avif", "cr3"};
}

GLINTFETCH_EXPORT_PLUGIN(IsoMediaPlugin)

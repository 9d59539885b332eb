#include "plugins/psd/Psdplugin.h"

#include "plugins/common/Pluginexports.h"

PsdPlugin::PsdPlugin() : FormatPlugin("glintfetch.psd", "Photoshop 画像", "psd")
{
}

bool PsdPlugin::detect(const unsigned char* data)
{
    // The run asks the kind of a find after its detection and before the next one.
    const bool found = FormatPlugin::detect(data);
    large = found && data[5] == 2;
    return found;
}

const char* PsdPlugin::getKind()
{
    return large ? "psb" : "psd";
}

std::vector<const char*> PsdPlugin::kinds()
{
    return {"psd", "psb"};
}

GLINTFETCH_EXPORT_PLUGIN(PsdPlugin)

#include "plugins/aif/Aifplugin.h"

#include "plugins/common/Pluginexports.h"

AifPlugin::AifPlugin() : FormatPlugin("glintfetch.aif", "AIFF 音声", "aif")
{
}

GLINTFETCH_EXPORT_PLUGIN(AifPlugin)

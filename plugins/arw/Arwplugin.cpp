#include "plugins/arw/Arwplugin.h"

#include "plugins/common/Pluginexports.h"

ArwPlugin::ArwPlugin() : FormatPlugin("glintfetch.arw", "ソニー RAW画像", "arw")
{
}

GLINTFETCH_EXPORT_PLUGIN(ArwPlugin)

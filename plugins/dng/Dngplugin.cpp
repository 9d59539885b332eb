#include "plugins/dng/Dngplugin.h"

#include "plugins/common/Pluginexports.h"

DngPlugin::DngPlugin() : FormatPlugin("glintfetch.dng", "DNG RAW画像", "dng")
{
}

GLINTFETCH_EXPORT_PLUGIN(DngPlugin)

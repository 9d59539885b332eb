#include "plugins/png/Pngplugin.h"

#include "plugins/common/Pluginexports.h"

PngPlugin::PngPlugin() : FormatPlugin("glintfetch.png", "PNG画像", "png")
{
}

GLINTFETCH_EXPORT_PLUGIN(PngPlugin)

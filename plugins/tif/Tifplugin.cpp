#include "plugins/tif/Tifplugin.h"

#include "plugins/common/Pluginexports.h"

TifPlugin::TifPlugin() : FormatPlugin("glintfetch.tif", "TIFF画像", "tif")
{
}

GLINTFETCH_EXPORT_PLUGIN(TifPlugin)

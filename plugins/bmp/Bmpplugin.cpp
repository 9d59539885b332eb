#include "plugins/bmp/Bmpplugin.h"

#include "plugins/common/Pluginexports.h"

BmpPlugin::BmpPlugin() : FormatPlugin("glintfetch.bmp", "ビットマップ画像", "bmp")
{
}

GLINTFETCH_EXPORT_PLUGIN(BmpPlugin)

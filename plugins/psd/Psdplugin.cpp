#include "plugins/psd/Psdplugin.h"

#include "plugins/common/Pluginexports.h"

PsdPlugin::PsdPlugin() : FormatPlugin("glintfetch.psd", "Photoshop 画像", "psd")
{
}

GLINTFETCH_EXPORT_PLUGIN(PsdPlugin)

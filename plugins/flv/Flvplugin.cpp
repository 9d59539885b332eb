#include "plugins/flv/Flvplugin.h"

#include "plugins/common/Pluginexports.h"

FlvPlugin::FlvPlugin() : FormatPlugin("glintfetch.flv", "Flash ビデオ", "flv")
{
}

GLINTFETCH_EXPORT_PLUGIN(FlvPlugin)

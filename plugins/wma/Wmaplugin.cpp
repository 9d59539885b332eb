#include "plugins/wma/Wmaplugin.h"

#include "plugins/common/Pluginexports.h"

WmaPlugin::WmaPlugin() : FormatPlugin("glintfetch.wma", "Windows Media オーディオ", "wma")
{
}

GLINTFETCH_EXPORT_PLUGIN(WmaPlugin)

#include "plugins/wmv/Wmvplugin.h"

#include "plugins/common/Pluginexports.h"

WmvPlugin::WmvPlugin() : FormatPlugin("glintfetch.wmv", "Windows Media ビデオ", "wmv")
{
}

GLINTFETCH_EXPORT_PLUGIN(WmvPlugin)

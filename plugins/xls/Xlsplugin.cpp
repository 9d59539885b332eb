#include "plugins/xls/Xlsplugin.h"

#include "plugins/common/Pluginexports.h"

XlsPlugin::XlsPlugin() : FormatPlugin("glintfetch.xls", "Excel ブック", "xls")
{
}

GLINTFETCH_EXPORT_PLUGIN(XlsPlugin)

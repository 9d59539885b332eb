#include "plugins/xls/Xlsplugin.h"

#include "plugins/common/Pluginexports.h"

XlsPlugin::XlsPlugin() : FormatPlugin("glintfetch.xls", "Excel 97-2003 ブック", "xls")
{
}

GLINTFETCH_EXPORT_PLUGIN(XlsPlugin)

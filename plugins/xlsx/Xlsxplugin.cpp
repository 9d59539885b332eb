#include "plugins/xlsx/Xlsxplugin.h"

#include "plugins/common/Pluginexports.h"

XlsxPlugin::XlsxPlugin() : ChainPlugin("glintfetch.xlsx", "Excel ブック", "xlsx")
{
}

GLINTFETCH_EXPORT_PLUGIN(XlsxPlugin)

#include "plugins/ppt/Pptplugin.h"

#include "plugins/common/Pluginexports.h"

PptPlugin::PptPlugin() : FormatPlugin("glintfetch.ppt", "PowerPoint プレゼンテーション", "ppt")
{
}

GLINTFETCH_EXPORT_PLUGIN(PptPlugin)

#include "plugins/ppt/Pptplugin.h"

#include "plugins/common/Pluginexports.h"

PptPlugin::PptPlugin() : FormatPlugin("glintfetch.ppt", "PowerPoint 97-2003 プレゼンテーション", "ppt")
{
}

GLINTFETCH_EXPORT_PLUGIN(PptPlugin)

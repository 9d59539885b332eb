#include "plugins/pptx/Pptxplugin.h"

#include "plugins/common/Pluginexports.h"

PptxPlugin::PptxPlugin() : ChainPlugin("glintfetch.pptx", "PowerPoint プレゼンテーション", "pptx")
{
}

GLINTFETCH_EXPORT_PLUGIN(PptxPlugin)

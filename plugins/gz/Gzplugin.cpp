#include "plugins/gz/Gzplugin.h"

#include "plugins/common/Pluginexports.h"

GzPlugin::GzPlugin() : ChainPlugin("glintfetch.gz", "gzip 圧縮ファイル", "gz")
{
}

GLINTFETCH_EXPORT_PLUGIN(GzPlugin)

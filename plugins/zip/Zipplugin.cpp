#include "plugins/zip/Zipplugin.h"

#include "plugins/common/Pluginexports.h"

ZipPlugin::ZipPlugin() : ChainPlugin("glintfetch.zip", "ZIP 書庫", "zip")
{
}

GLINTFETCH_EXPORT_PLUGIN(ZipPlugin)

#include "plugins/tar/Tarplugin.h"

#include "plugins/common/Pluginexports.h"

TarPlugin::TarPlugin() : ChainPlugin("glintfetch.tar", "tar 書庫", "tar")
{
}

GLINTFETCH_EXPORT_PLUGIN(TarPlugin)

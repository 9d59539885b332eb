#include "plugins/7z/Sevenzipplugin.h"

#include "plugins/common/Pluginexports.h"

SevenZipPlugin::SevenZipPlugin() : FormatPlugin("glintfetch.7z", "7z 書庫", "7z")
{
}

GLINTFETCH_EXPORT_PLUGIN(SevenZipPlugin)

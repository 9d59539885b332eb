#include "plugins/rar/Rarplugin.h"

#include "plugins/common/Pluginexports.h"

RarPlugin::RarPlugin() : FormatPlugin("glintfetch.rar", "RAR 書庫", "rar")
{
}

GLINTFETCH_EXPORT_PLUGIN(RarPlugin)

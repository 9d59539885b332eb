#include "plugins/ico/Icoplugin.h"

#include "plugins/common/Pluginexports.h"

IcoPlugin::IcoPlugin() : FormatPlugin("glintfetch.ico", "アイコン画像", "ico")
{
}

GLINTFETCH_EXPORT_PLUGIN(IcoPlugin)

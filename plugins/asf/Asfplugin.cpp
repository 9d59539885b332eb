#include "plugins/asf/Asfplugin.h"

#include "plugins/common/Pluginexports.h"

AsfPlugin::AsfPlugin() : FormatPlugin("glintfetch.asf", "ASF メディアファイル", "asf")
{
}

GLINTFETCH_EXPORT_PLUGIN(AsfPlugin)

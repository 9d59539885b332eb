#include "plugins/ods/Odsplugin.h"

#include "plugins/common/Pluginexports.h"

OdsPlugin::OdsPlugin() : ChainPlugin("glintfetch.ods", "OpenDocument スプレッドシート", "ods")
{
}

GLINTFETCH_EXPORT_PLUGIN(OdsPlugin)

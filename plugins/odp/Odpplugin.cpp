#include "plugins/odp/Odpplugin.h"

#include "plugins/common/Pluginexports.h"

OdpPlugin::OdpPlugin() : ChainPlugin("glintfetch.odp", "OpenDocument プレゼンテーション", "odp")
{
}

GLINTFETCH_EXPORT_PLUGIN(OdpPlugin)

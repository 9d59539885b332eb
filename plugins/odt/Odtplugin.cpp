#include "plugins/odt/Odtplugin.h"

#include "plugins/common/Pluginexports.h"

OdtPlugin::OdtPlugin() : ChainPlugin("glintfetch.odt", "OpenDocument テキスト", "odt")
{
}

GLINTFETCH_EXPORT_PLUGIN(OdtPlugin)

#include "plugins/avi/Aviplugin.h"

#include "plugins/common/Pluginexports.h"

AviPlugin::AviPlugin() : FormatPlugin("glintfetch.avi", "AVI動画", "avi")
{
}

GLINTFETCH_EXPORT_PLUGIN(AviPlugin)

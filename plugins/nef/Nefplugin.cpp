#include "plugins/nef/Nefplugin.h"

#include "plugins/common/Pluginexports.h"

NefPlugin::NefPlugin() : FormatPlugin("glintfetch.nef", "ニコン RAW画像", "nef")
{
}

GLINTFETCH_EXPORT_PLUGIN(NefPlugin)

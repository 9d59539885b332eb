#include "plugins/orf/Orfplugin.h"

#include "plugins/common/Pluginexports.h"

OrfPlugin::OrfPlugin() : FormatPlugin("glintfetch.orf", "オリンパス RAW画像", "orf")
{
}

GLINTFETCH_EXPORT_PLUGIN(OrfPlugin)

#include "plugins/gif/Gifplugin.h"

#include "plugins/common/Pluginexports.h"

GifPlugin::GifPlugin() : FormatPlugin("glintfetch.gif", "GIF画像", "gif")
{
}

GLINTFETCH_EXPORT_PLUGIN(GifPlugin)

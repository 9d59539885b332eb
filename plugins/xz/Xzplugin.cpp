#include "plugins/xz/Xzplugin.h"

#include "plugins/common/Pluginexports.h"

XzPlugin::XzPlugin() : FormatPlugin("glintfetch.xz", "xz 圧縮ファイル", "xz")
{
}

GLINTFETCH_EXPORT_PLUGIN(XzPlugin)

#include "plugins/cur/Curplugin.h"

#include "plugins/common/Pluginexports.h"

CurPlugin::CurPlugin() : FormatPlugin("glintfetch.cur", "カーソル画像", "cur")
{
}

GLINTFETCH_EXPORT_PLUGIN(CurPlugin)

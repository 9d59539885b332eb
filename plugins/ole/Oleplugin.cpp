#include "plugins/ole/Oleplugin.h"

#include "plugins/common/Pluginexports.h"

OlePlugin::OlePlugin() : FormatPlugin("glintfetch.ole", "OLE 複合ファイル", "ole")
{
}

GLINTFETCH_EXPORT_PLUGIN(OlePlugin)

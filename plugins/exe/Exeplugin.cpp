#include "plugins/exe/Exeplugin.h"

#include "plugins/common/Pluginexports.h"

ExePlugin::ExePlugin() : FormatPlugin("glintfetch.exe", "Windows 実行ファイル", "exe")
{
}

GLINTFETCH_EXPORT_PLUGIN(ExePlugin)

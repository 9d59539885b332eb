#include "plugins/bz2/Bz2plugin.h"

#include "plugins/common/Pluginexports.h"

Bz2Plugin::Bz2Plugin() : FormatPlugin("glintfetch.bz2", "bzip2 圧縮ファイル", "bz2")
{
}

GLINTFETCH_EXPORT_PLUGIN(Bz2Plugin)

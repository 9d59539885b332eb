#include "plugins/cr2/Cr2plugin.h"

#include "plugins/common/Pluginexports.h"

Cr2Plugin::Cr2Plugin() : FormatPlugin("glintfetch.cr2", "キヤノン RAW画像 (CR2)", "cr2")
{
}

GLINTFETCH_EXPORT_PLUGIN(Cr2Plugin)

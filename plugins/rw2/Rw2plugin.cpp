#include "plugins/rw2/Rw2plugin.h"

#include "plugins/common/Pluginexports.h"

Rw2Plugin::Rw2Plugin() : FormatPlugin("glintfetch.rw2", "パナソニック RAW画像", "rw2")
{
}

GLINTFETCH_EXPORT_PLUGIN(Rw2Plugin)

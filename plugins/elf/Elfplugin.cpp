#include "plugins/elf/Elfplugin.h"

#include "plugins/common/Pluginexports.h"

ElfPlugin::ElfPlugin() : FormatPlugin("glintfetch.elf", "ELF 実行形式", "elf")
{
}

GLINTFETCH_EXPORT_PLUGIN(ElfPlugin)

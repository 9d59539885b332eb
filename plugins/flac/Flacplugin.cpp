#include "plugins/flac/Flacplugin.h"

#include "plugins/common/Pluginexports.h"

FlacPlugin::FlacPlugin() : FormatPlugin("glintfetch.flac", "FLAC 音声", "flac")
{
}

GLINTFETCH_EXPORT_PLUGIN(FlacPlugin)

#include "plugins/wav/Wavplugin.h"

#include "plugins/common/Pluginexports.h"

WavPlugin::WavPlugin() : FormatPlugin("glintfetch.wav", "WAVE音声", "wav")
{
}

GLINTFETCH_EXPORT_PLUGIN(WavPlugin)

#include "plugins/mid/Midplugin.h"

#include "plugins/common/Pluginexports.h"

MidPlugin::MidPlugin() : FormatPlugin("glintfetch.mid", "MIDI 曲", "mid")
{
}

GLINTFETCH_EXPORT_PLUGIN(MidPlugin)

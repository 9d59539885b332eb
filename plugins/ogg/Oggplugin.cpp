#include "plugins/ogg/Oggplugin.h"

#include "plugins/common/Pluginexports.h"

OggPlugin::OggPlugin() : FormatPlugin("glintfetch.ogg", "Ogg 音声", "ogg")
{
}

GLINTFETCH_EXPORT_PLUGIN(OggPlugin)

#include "plugins/jar/Jarplugin.h"

#include "plugins/common/Pluginexports.h"

JarPlugin::JarPlugin() : ChainPlugin("glintfetch.jar", "Java アーカイブ", "jar")
{
}

GLINTFETCH_EXPORT_PLUGIN(JarPlugin)

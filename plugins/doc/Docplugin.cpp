#include "plugins/doc/Docplugin.h"

#include "plugins/common/Pluginexports.h"

DocPlugin::DocPlugin() : FormatPlugin("glintfetch.doc", "Word 97-2003 文書", "doc")
{
}

GLINTFETCH_EXPORT_PLUGIN(DocPlugin)

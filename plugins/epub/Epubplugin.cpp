#include "plugins/epub/Epubplugin.h"

#include "plugins/common/Pluginexports.h"

EpubPlugin::EpubPlugin() : ChainPlugin("glintfetch.epub", "EPUB 電子書籍", "epub")
{
}

GLINTFETCH_EXPORT_PLUGIN(EpubPlugin)

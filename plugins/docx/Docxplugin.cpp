#include "plugins/docx/Docxplugin.h"

#include "plugins/common/Pluginexports.h"

DocxPlugin::DocxPlugin() : ChainPlugin("glintfetch.docx", "Word 文書", "docx")
{
}

GLINTFETCH_EXPORT_PLUGIN(DocxPlugin)

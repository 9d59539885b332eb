#include "plugins/pdf/Pdfplugin.h"

#include "plugins/common/Pluginexports.h"

PdfPlugin::PdfPlugin() : FormatPlugin("glintfetch.pdf", "PDF 文書", "pdf")
{
}

GLINTFETCH_EXPORT_PLUGIN(PdfPlugin)

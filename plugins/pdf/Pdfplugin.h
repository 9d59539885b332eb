#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/pdf/Pdfparser.h"

class PdfPlugin final : public FormatPlugin<PdfParser> {
public:
    PdfPlugin();
};

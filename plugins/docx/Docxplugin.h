#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/docx/Docxparser.h"

class DocxPlugin final : public ChainPlugin<DocxParser> {
public:
    DocxPlugin();
};

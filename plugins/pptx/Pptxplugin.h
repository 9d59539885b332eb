#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/pptx/Pptxparser.h"

class PptxPlugin final : public ChainPlugin<PptxParser> {
public:
    PptxPlugin();
};

#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/epub/Epubparser.h"

class EpubPlugin final : public ChainPlugin<EpubParser> {
public:
    EpubPlugin();
};

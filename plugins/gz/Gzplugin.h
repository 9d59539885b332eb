#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/gz/Gzparser.h"

class GzPlugin final : public ChainPlugin<GzParser> {
public:
    GzPlugin();
};

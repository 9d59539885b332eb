#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/tar/Tarparser.h"

class TarPlugin final : public ChainPlugin<TarParser> {
public:
    TarPlugin();
};

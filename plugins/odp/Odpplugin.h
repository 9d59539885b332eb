#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/odp/Odpparser.h"

class OdpPlugin final : public ChainPlugin<OdpParser> {
public:
    OdpPlugin();
};

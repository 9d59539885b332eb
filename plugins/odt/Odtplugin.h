#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/odt/Odtparser.h"

class OdtPlugin final : public ChainPlugin<OdtParser> {
public:
    OdtPlugin();
};

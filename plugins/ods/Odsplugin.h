#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/ods/Odsparser.h"

class OdsPlugin final : public ChainPlugin<OdsParser> {
public:
    OdsPlugin();
};

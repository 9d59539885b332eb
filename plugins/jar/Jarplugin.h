#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/jar/Jarparser.h"

class JarPlugin final : public ChainPlugin<JarParser> {
public:
    JarPlugin();
};

#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/zip/Zipparser.h"

class ZipPlugin final : public ChainPlugin<ZipParser> {
public:
    ZipPlugin();
};

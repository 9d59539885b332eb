#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/dng/Dngparser.h"

class DngPlugin final : public FormatPlugin<DngParser> {
public:
    DngPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/tif/Tifparser.h"

class TifPlugin final : public FormatPlugin<TifParser> {
public:
    TifPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/png/Pngparser.h"

class PngPlugin final : public FormatPlugin<PngParser> {
public:
    PngPlugin();
};

#pragma once

#include "plugins/bmp/Bmpparser.h"
#include "plugins/common/Formatplugin.h"

class BmpPlugin final : public FormatPlugin<BmpParser> {
public:
    BmpPlugin();
};

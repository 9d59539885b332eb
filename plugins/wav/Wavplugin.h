#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/wav/Wavparser.h"

class WavPlugin final : public FormatPlugin<WavParser> {
public:
    WavPlugin();
};

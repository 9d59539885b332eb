#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/flac/Flacparser.h"

class FlacPlugin final : public FormatPlugin<FlacParser> {
public:
    FlacPlugin();
};

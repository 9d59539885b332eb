#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/flv/Flvparser.h"

class FlvPlugin final : public FormatPlugin<FlvParser> {
public:
    FlvPlugin();
};

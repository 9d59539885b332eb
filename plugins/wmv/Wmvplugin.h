#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/wmv/Wmvparser.h"

class WmvPlugin final : public FormatPlugin<WmvParser> {
public:
    WmvPlugin();
};

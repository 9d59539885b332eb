#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/wma/Wmaparser.h"

class WmaPlugin final : public FormatPlugin<WmaParser> {
public:
    WmaPlugin();
};

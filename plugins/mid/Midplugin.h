#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/mid/Midparser.h"

class MidPlugin final : public FormatPlugin<MidParser> {
public:
    MidPlugin();
};

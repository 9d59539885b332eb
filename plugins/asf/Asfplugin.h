#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/asf/Asfparser.h"

class AsfPlugin final : public FormatPlugin<AsfParser> {
public:
    AsfPlugin();
};

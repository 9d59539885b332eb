#pragma once

#include "plugins/avi/Aviparser.h"
#include "plugins/common/Formatplugin.h"

class AviPlugin final : public FormatPlugin<AviParser> {
public:
    AviPlugin();
};

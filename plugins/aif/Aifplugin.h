#pragma once

#include "plugins/aif/Aifparser.h"
#include "plugins/common/Formatplugin.h"

class AifPlugin final : public FormatPlugin<AifParser> {
public:
    AifPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/arw/Arwparser.h"

class ArwPlugin final : public FormatPlugin<ArwParser> {
public:
    ArwPlugin();
};

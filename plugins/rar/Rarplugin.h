#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/rar/Rarparser.h"

class RarPlugin final : public FormatPlugin<RarParser> {
public:
    RarPlugin();
};

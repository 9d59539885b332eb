#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/ole/Oleparser.h"

class OlePlugin final : public FormatPlugin<OleParser> {
public:
    OlePlugin();
};

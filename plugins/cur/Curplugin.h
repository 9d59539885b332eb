#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/cur/Curparser.h"

class CurPlugin final : public FormatPlugin<CurParser> {
public:
    CurPlugin();
};

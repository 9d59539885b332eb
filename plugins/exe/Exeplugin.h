#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/exe/Exeparser.h"

class ExePlugin final : public FormatPlugin<ExeParser> {
public:
    ExePlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/nef/Nefparser.h"

class NefPlugin final : public FormatPlugin<NefParser> {
public:
    NefPlugin();
};

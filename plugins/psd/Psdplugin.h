#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/psd/Psdparser.h"

class PsdPlugin final : public FormatPlugin<PsdParser> {
public:
    PsdPlugin();
};

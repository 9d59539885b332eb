#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/ppt/Pptparser.h"

class PptPlugin final : public FormatPlugin<PptParser> {
public:
    PptPlugin();
};

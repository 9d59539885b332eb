#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/ogg/Oggparser.h"

class OggPlugin final : public FormatPlugin<OggParser> {
public:
    OggPlugin();
};

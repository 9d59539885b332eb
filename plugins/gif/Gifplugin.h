#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/gif/Gifparser.h"

class GifPlugin final : public FormatPlugin<GifParser> {
public:
    GifPlugin();
};

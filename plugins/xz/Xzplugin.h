#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/xz/Xzparser.h"

class XzPlugin final : public FormatPlugin<XzParser> {
public:
    XzPlugin();
};

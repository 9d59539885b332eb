#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/webp/Webpparser.h"

class WebpPlugin final : public FormatPlugin<WebpParser> {
public:
    WebpPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/doc/Docparser.h"

class DocPlugin final : public FormatPlugin<DocParser> {
public:
    DocPlugin();
};

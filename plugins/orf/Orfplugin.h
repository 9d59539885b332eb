#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/orf/Orfparser.h"

class OrfPlugin final : public FormatPlugin<OrfParser> {
public:
    OrfPlugin();
};

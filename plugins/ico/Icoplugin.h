#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/ico/Icoparser.h"

class IcoPlugin final : public FormatPlugin<IcoParser> {
public:
    IcoPlugin();
};

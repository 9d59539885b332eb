#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/elf/Elfparser.h"

class ElfPlugin final : public FormatPlugin<ElfParser> {
public:
    ElfPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/cr2/Cr2parser.h"

class Cr2Plugin final : public FormatPlugin<Cr2Parser> {
public:
    Cr2Plugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/rw2/Rw2parser.h"

class Rw2Plugin final : public FormatPlugin<Rw2Parser> {
public:
    Rw2Plugin();
};

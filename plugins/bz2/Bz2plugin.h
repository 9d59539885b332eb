#pragma once

#include "plugins/bz2/Bz2parser.h"
#include "plugins/common/Formatplugin.h"

class Bz2Plugin final : public FormatPlugin<Bz2Parser> {
public:
    Bz2Plugin();
};

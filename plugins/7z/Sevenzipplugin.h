#pragma once

#include "plugins/7z/Sevenzipparser.h"
#include "plugins/common/Formatplugin.h"

class SevenZipPlugin final : public FormatPlugin<SevenZipParser> {
public:
    SevenZipPlugin();
};

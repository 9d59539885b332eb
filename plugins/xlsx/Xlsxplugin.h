#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/xlsx/Xlsxparser.h"

class XlsxPlugin final : public ChainPlugin<XlsxParser> {
public:
    XlsxPlugin();
};

#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/xls/Xlsparser.h"

class XlsPlugin final : public FormatPlugin<XlsParser> {
public:
    XlsPlugin();
};

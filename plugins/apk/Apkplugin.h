#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/apk/Apkparser.h"

class ApkPlugin final : public ChainPlugin<ApkParser> {
public:
    ApkPlugin();
};

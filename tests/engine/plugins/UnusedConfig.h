#pragma once

#include "engine/ExtractPlugin.h"

// The settings handed to the plug-ins of the model's tests, which read nothing of them: no size
// window, and every property empty.
class UnusedConfig : public IExtractConfig {
public:
    int getMaxExtractSize() override { return -1; }
    int getMinExtractSize() override { return 0; }
    void getProperty(const char*, char* buffer, const char*) override { buffer[0] = '\0'; }
    int getPropertyLength(const char*, const char*) override { return 1; }
    void setProperty(const char*, const char*, const char*) override {}
};

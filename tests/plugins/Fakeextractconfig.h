#pragma once

#include "engine/ExtractPlugin.h"

#include <map>
#include <string>
#include <utility>

// Settings for plug-ins under test: a size window and properties in memory, with the copy
// semantics of the real settings (getProperty fills exactly getPropertyLength bytes, so a plug-in
// whose buffer is too small overruns it, which AddressSanitizer reports).
class FakeExtractConfig final : public IExtractConfig {
public:
    int getMaxExtractSize() override;
    int getMinExtractSize() override;
    void getProperty(const char* key, char* buffer, const char* pluginId) override;
    int getPropertyLength(const char* key, const char* pluginId) override;
    void setProperty(const char* key, const char* value, const char* pluginId) override;

    std::string property(const std::string& pluginId, const std::string& key) const;

    int minimumSize = 0;
    int maximumSize = -1;
    // By (plug-in identifier, key).
    std::map<std::pair<std::string, std::string>, std::string> properties;
};

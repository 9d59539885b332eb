#include "tests/plugins/Fakeextractconfig.h"

#include <cstring>

int FakeExtractConfig::getMaxExtractSize()
{
    return maximumSize;
}

int FakeExtractConfig::getMinExtractSize()
{
    return minimumSize;
}

void FakeExtractConfig::getProperty(const char* key, char* buffer, const char* pluginId)
{
    std::string value = property(pluginId, key);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
}

int FakeExtractConfig::getPropertyLength(const char* key, const char* pluginId)
{
    return static_cast<int>(property(pluginId, key).size() + 1);
}

void FakeExtractConfig::setProperty(const char* key, const char* value, const char* pluginId)
{
    properties[{pluginId, key}] = value;
}

std::string FakeExtractConfig::property(const std::string& pluginId, const std::string& key) const
{
    auto found = properties.find({pluginId, key});
    return found == properties.end() ? std::string() : found->second;
}

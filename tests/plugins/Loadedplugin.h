#pragma once

#include "engine/ExtractPlugin.h"

#include <string>

// A sample plug-in as the program meets it: its shared object opened with dlopen, its object made
// through _createExtractPlugin, released through _releaseExtractPlugin and the object unloaded
// when this dies. Failing to load or to find an export throws std::runtime_error.
class LoadedPlugin {
public:
    // folder names the plug-in as the build does: "png" gives <plug-in folder>/pngextract.so.
    explicit LoadedPlugin(const std::string& folder);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    static std::string pathOf(const std::string& folder);

    IExtractPlugin* operator->() const;
    IExtractPlugin* get() const;
    // The library's table of optional operations; null when it exports none.
    const ExtractPluginExtension* extension() const;
    // The result of _releaseExtractPlugin; the object is gone afterwards.
    int release();

private:
    void* handle = nullptr;
    ReleaseExtractPluginFunction releaseFunction = nullptr;
    IExtractPlugin* plugin = nullptr;
};

#include "tests/plugins/Loadedplugin.h"

#include <dlfcn.h>

#include <stdexcept>

LoadedPlugin::LoadedPlugin(const std::string& folder)
{
    std::string path = pathOf(folder);
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        throw std::runtime_error("dlopen " + path + ": " + dlerror());
    }
    auto create = reinterpret_cast<CreateExtractPluginFunction>(dlsym(handle, "_createExtractPlugin"));
    releaseFunction = reinterpret_cast<ReleaseExtractPluginFunction>(dlsym(handle, "_releaseExtractPlugin"));
    if (create == nullptr || releaseFunction == nullptr) {
        dlclose(handle);
        throw std::runtime_error(path + " lacks an export");
    }
    plugin = create();
    if (plugin == nullptr) {
        dlclose(handle);
        throw std::runtime_error(path + " made no object");
    }
}

LoadedPlugin::~LoadedPlugin()
{
    release();
    dlclose(handle);
}

std::string LoadedPlugin::pathOf(const std::string& folder)
{
    return std::string(GLINTFETCH_PLUGIN_DIR) + "/" + folder + "extract.so";
}

IExtractPlugin* LoadedPlugin::operator->() const
{
    return plugin;
}

IExtractPlugin* LoadedPlugin::get() const
{
    return plugin;
}

const ExtractPluginExtension* LoadedPlugin::extension() const
{
    auto get = reinterpret_cast<GetExtractPluginExtensionFunction>(dlsym(handle, "_getExtractPluginExtension"));
    return get != nullptr ? get() : nullptr;
}

int LoadedPlugin::release()
{
    if (plugin == nullptr) {
        return 0;
    }
    int result = releaseFunction(plugin);
    plugin = nullptr;
    return result;
}

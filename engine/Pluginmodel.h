#pragma once

#include "engine/IPluginModel.h"
#include "framework/IFileEnumerateListener.h"
#include "framework/Observable.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IDynamicLinker;
class IGlintfetchFactory;

// The extraction plug-ins below "plugins" beside the executable, at any depth, loaded in the
// byte order of their paths there: every file whose lower-cased name holds ".so" or ".dll" after
// its first character (libpng.so, Plugin.DLL, x.so.1). So on every machine the same plug-in comes
// first, and of two with one identifier the same one is used.
//
// A library that does not load, or that breaks the plug-in contract (an export missing, no
// object, no identifier, an identifier already loaded, an exception from any call of the load,
// setConfig included), is left out and the walk goes on; it is kept with the reason in
// getLoadFailures until the next load. A library without
// _releaseExtractPlugin is not used at all, since its objects could never be given back. An
// object made and then refused goes back to its own library at once.
//
// Plug-ins are released in ascending byte order of their identifiers; their libraries are then
// all freed together, with the private factory that made their linkers.
//
// No lock: the user-interface thread and a run's worker use the model, never at the same time.
// The model never notifies by itself.
class PluginModel : public Observable,
                    public virtual IObservable,
                    public virtual IPluginModel,
                    public IFileEnumerateListener {
public:
    PluginModel();
    ~PluginModel() override;
    PluginModel(const PluginModel&) = delete;
    PluginModel& operator=(const PluginModel&) = delete;

    unsigned getPluginCount() override;
    IExtractPlugin* getPlugin(unsigned index) override;
    IExtractPlugin* getPlugin(std::string id) override;
    int getPluginIndex(std::string id) override;
    void onEnumerate(IResource* entry) override;
    void loadPlugins(IExtractConfig* config) override;
    PluginExtension getExtension(unsigned index) override;
    std::unique_lock<std::recursive_mutex> holdPlugins() override;
    std::unique_lock<std::recursive_mutex> tryHoldPlugins() override;
    std::vector<PluginLoadFailure> getLoadFailures() override;

    // Loads one library and lists its plug-in; false when the library is left out.
    virtual bool loadPlugin(std::string path);
    // Releases every listed plug-in and frees every library tried since the last unload.
    virtual void unloadPlugins();

private:
    // Gives the listed plug-in at index back to its library and lists it with the failures.
    void leaveOut(std::size_t index, const std::string& reason);

    std::unique_ptr<IGlintfetchFactory> factory;
    std::vector<IExtractPlugin*> plugins;
    // Beside plugins, index for index.
    std::vector<PluginExtension> extensions;
    std::vector<std::string> paths;
    std::vector<PluginLoadFailure> failures;
    std::map<std::string, int> indexMap;
    std::map<std::string, IDynamicLinker*> linkerMap;
    std::recursive_mutex libraryGuard;
};

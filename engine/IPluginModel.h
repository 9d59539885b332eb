#pragma once

#include "engine/ExtractPlugin.h"
#include "engine/Pluginextension.h"
#include "engine/Pluginloadfailure.h"
#include "framework/IObservable.h"

#include <mutex>
#include <string>
#include <vector>

// The extraction plug-ins found below the "plugins" folder beside the executable.
//
// Indices run from 0 in load order and are the plug-in indices of the whole system. Objects
// handed out are valid until the next loadPlugins; callers keep identifiers, not objects, across
// reloads.
class IPluginModel : public virtual IObservable {
public:
    virtual unsigned getPluginCount() = 0;
    // Raises IndexOutOfBoundsException for an index at or past the count.
    virtual IExtractPlugin* getPlugin(unsigned index) = 0;
    // An identifier that no loaded plug-in has gives the plug-in at index 0; with none loaded it
    // raises IOException.
    virtual IExtractPlugin* getPlugin(std::string id) = 0;
    // -1 for an identifier that no loaded plug-in has.
    virtual int getPluginIndex(std::string id) = 0;
    // Releases every loaded plug-in and frees its library, loads all of them anew and hands each
    // new object config, in index order.
    virtual void loadPlugins(IExtractConfig* config) = 0;
    // The optional operations of the library that made the plug-in at index (all absent for a
    // library of the first contract). Raises IndexOutOfBoundsException as getPlugin does.
    virtual PluginExtension getExtension(unsigned index) = 0;
    // Keeps the loaded libraries in place for as long as the lock is held: a loadPlugins on
    // another thread waits for its release, so that no library goes while a call into it runs.
    // The holder's own thread may still reload.
    virtual std::unique_lock<std::recursive_mutex> holdPlugins() = 0;
    // As holdPlugins, without waiting: the lock returned owns nothing while another thread holds
    // the plug-ins.
    virtual std::unique_lock<std::recursive_mutex> tryHoldPlugins() = 0;
    // The plug-in files that the last load found and left out, in the order it found them.
    virtual std::vector<PluginLoadFailure> getLoadFailures() = 0;

protected:
    ~IPluginModel() = default;
};

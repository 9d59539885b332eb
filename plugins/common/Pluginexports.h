#pragma once

#include "engine/ExtractPlugin.h"
#include "plugins/common/Pluginbase.h"

#include <new>

// Defines the exports of a plug-in whose object is a PluginClass, a PluginBase: the two of the
// contract and the optional table of further operations. Allocation failure gives a null object
// rather than an exception, which must not cross into the program.
#define GLINTFETCH_EXPORT_PLUGIN(PluginClass)                                  \
    extern "C" IExtractPlugin* _createExtractPlugin()                          \
    {                                                                          \
        return new (std::nothrow) PluginClass();                               \
    }                                                                          \
    extern "C" int _releaseExtractPlugin(IExtractPlugin* plugin)               \
    {                                                                          \
        int released = plugin != nullptr ? 1 : 0;                              \
        delete static_cast<PluginClass*>(plugin);                              \
        return released;                                                       \
    }                                                                          \
    extern "C" const ExtractPluginExtension* _getExtractPluginExtension()      \
    {                                                                          \
        return PluginBase::extension(PluginClass::callsConcurrently);          \
    }

#include "engine/Pluginmodel.h"

#include "app/IGlintfetchFactory.h"
#include "engine/ExtractPlugin.h"
#include "framework/Exception.h"
#include "framework/IDynamicLinker.h"
#include "framework/IFileEnumerator.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"

namespace {

const char* const createExportName = "_createExtractPlugin";
const char* const releaseExportName = "_releaseExtractPlugin";
const char* const extensionExportName = "_getExtractPluginExtension";

std::string lowerAsciiLetters(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// At index 1 or later, so that a bare ".so" or ".dll" is no plug-in.
bool isPluginFileName(const std::string& name) {
    const std::string lowered = lowerAsciiLetters(name);
    return lowered.find(".so", 1) != std::string::npos ||
           lowered.find(".dll", 1) != std::string::npos;
}

// A framework failure of one release must not keep the others from theirs.
void releaseThrough(IDynamicLinker* linker, IExtractPlugin* plugin) {
    try {
        auto release = reinterpret_cast<ReleaseExtractPluginFunction>(linker->link(releaseExportName));
        release(plugin);
    } catch (const Exception&) {
    }
}

}  // namespace

PluginModel::PluginModel() : factory(createGlintfetchFactory()) {}

PluginModel::~PluginModel() { unloadPlugins(); }

unsigned PluginModel::getPluginCount() { return static_cast<unsigned>(plugins.size()); }

IExtractPlugin* PluginModel::getPlugin(unsigned index) {
    if (index >= plugins.size()) {
        throw IndexOutOfBoundsException("範囲外のインデックスが指定されました。",
                                        "PluginModel::getPlugin");
    }
    return plugins[index];
}

IExtractPlugin* PluginModel::getPlugin(std::string id) {
    const int index = getPluginIndex(id);
    if (index >= 0) return plugins[static_cast<std::size_t>(index)];
    if (plugins.empty()) {
        throw IOException("ロードされているプラグインはありません。", "PluginModel::getPlugin");
    }
    return plugins[0];
}

PluginExtension PluginModel::getExtension(unsigned index) {
    if (index >= extensions.size()) {
        throw IndexOutOfBoundsException("範囲外のインデックスが指定されました。",
                                        "PluginModel::getExtension");
    }
    return extensions[index];
}

int PluginModel::getPluginIndex(std::string id) {
    const auto found = indexMap.find(id);
    return found == indexMap.end() ? -1 : found->second;
}

void PluginModel::onEnumerate(IResource* entry) {
    // The walk itself descends into folders, even those named like a plug-in.
    if (entry->isDirectory()) return;
    const std::string name = entry->getName();
    if (!isPluginFileName(name)) return;
    loadPlugin(entry->getParent() + "/" + name);
}

std::unique_lock<std::recursive_mutex> PluginModel::holdPlugins() {
    return std::unique_lock<std::recursive_mutex>(libraryGuard);
}

void PluginModel::loadPlugins(IExtractConfig* config) {
    const std::lock_guard<std::recursive_mutex> hold(libraryGuard);
    unloadPlugins();

    IProcess* process = factory->createProcess();
    IFileEnumerator* enumerator = factory->createFileEnumerator();
    IResource* folder = factory->createResource();
    folder->setPath(process->getModuleFileName());
    folder->setPath(folder->getParent() + "/plugins/");
    if (folder->isDirectory()) {
        enumerator->setPath(folder->getPath());
        enumerator->setRecursive(true);
        enumerator->addListener(this);
        enumerator->enumerate();
    }

    for (IExtractPlugin* plugin : plugins) plugin->setConfig(config);
}

bool PluginModel::loadPlugin(std::string path) {
    IDynamicLinker* linker = factory->createDynamicLinker();
    try {
        linker->load(path);

        CreateExtractPluginFunction create;
        try {
            create = reinterpret_cast<CreateExtractPluginFunction>(linker->link(createExportName));
        } catch (const RuntimeException&) {
            linker->release();
            return false;
        }

        IExtractPlugin* plugin = create();
        if (plugin == nullptr) {
            linker->release();
            return false;
        }

        // A second plug-in with a listed identifier could never be reached by it nor released
        // by it: it goes back to its own library now, and the library is freed.
        const char* idText = plugin->getID();
        if (idText == nullptr || indexMap.count(idText) != 0) {
            releaseThrough(linker, plugin);
            linker->release();
            return false;
        }

        // The additions are optional: a library of the first contract has no such export.
        const ExtractPluginExtension* table = nullptr;
        try {
            auto getExtension =
                reinterpret_cast<GetExtractPluginExtensionFunction>(linker->link(extensionExportName));
            table = getExtension();
        } catch (const RuntimeException&) {
        }

        const std::string id = idText;
        indexMap.emplace(id, static_cast<int>(plugins.size()));
        linkerMap.emplace(id, linker);
        plugins.push_back(plugin);
        extensions.emplace_back(table);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void PluginModel::unloadPlugins() {
    const std::lock_guard<std::recursive_mutex> hold(libraryGuard);
    for (const auto& [id, linker] : linkerMap) {
        releaseThrough(linker, plugins[static_cast<std::size_t>(indexMap[id])]);
    }
    plugins.clear();
    extensions.clear();
    indexMap.clear();
    linkerMap.clear();

    // The factory's linkers free their libraries as it dies, those of the skipped ones included.
    factory.reset();
    factory = createGlintfetchFactory();
}

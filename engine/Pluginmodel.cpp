#include "engine/Pluginmodel.h"

#include "app/IGlintfetchFactory.h"
#include "engine/ExtractPlugin.h"
#include "framework/Exception.h"
#include "framework/IDynamicLinker.h"
#include "framework/IFileEnumerator.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"

#include <algorithm>
#include <exception>

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

// A failure of one release must not keep the others from theirs, nor leave the object listed to
// be released again: whatever a release throws ends that release alone.
void releaseThrough(IDynamicLinker* linker, IExtractPlugin* plugin) {
    try {
        auto release = reinterpret_cast<ReleaseExtractPluginFunction>(linker->link(releaseExportName));
        release(plugin);
    } catch (...) {
    }
}

std::string thrownText(const char* operation, std::exception_ptr thrown) {
    std::string detail;
    try {
        std::rethrow_exception(thrown);
    } catch (const Exception& e) {
        detail = e.getMessage();
    } catch (const std::exception& e) {
        detail = e.what();
    } catch (...) {
    }
    return std::string(operation) + " で例外が発生しました" + (detail.empty() ? "" : "（" + detail + "）") + "。";
}

bool hasExport(IDynamicLinker* linker, const char* name) {
    try {
        linker->link(name);
        return true;
    } catch (const RuntimeException&) {
        return false;
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

std::vector<PluginLoadFailure> PluginModel::getLoadFailures() { return failures; }

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

std::unique_lock<std::recursive_mutex> PluginModel::tryHoldPlugins() {
    return std::unique_lock<std::recursive_mutex>(libraryGuard, std::try_to_lock);
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

    // The contract forbids exceptions here too; a plug-in that throws all the same is left out
    // like one that broke the contract at its load, and the others get their settings.
    for (std::size_t index = 0; index < plugins.size();) {
        try {
            plugins[index]->setConfig(config);
            ++index;
        } catch (...) {
            leaveOut(index, thrownText("setConfig", std::current_exception()));
        }
    }
}

void PluginModel::leaveOut(std::size_t index, const std::string& reason) {
    const auto byIndex = std::find_if(indexMap.begin(), indexMap.end(), [&](const auto& entry) {
        return entry.second == static_cast<int>(index);
    });
    if (byIndex != indexMap.end()) {
        const std::string id = byIndex->first;
        releaseThrough(linkerMap[id], plugins[index]);
        linkerMap.erase(id);
        indexMap.erase(byIndex);
    }
    for (auto& entry : indexMap) {
        if (entry.second > static_cast<int>(index)) --entry.second;
    }
    failures.push_back({paths[index], reason});
    plugins.erase(plugins.begin() + static_cast<std::ptrdiff_t>(index));
    extensions.erase(extensions.begin() + static_cast<std::ptrdiff_t>(index));
    paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(index));
}

bool PluginModel::loadPlugin(std::string path) {
    IDynamicLinker* linker = factory->createDynamicLinker();
    const auto refuse = [&](const std::string& reason) {
        failures.push_back({path, reason});
        return false;
    };
    try {
        try {
            linker->load(path);
        } catch (const IOException&) {
            const std::string why = linker->getLoadError();
            return refuse(why.empty() ? "共有ライブラリとして読み込めません。"
                                      : "共有ライブラリとして読み込めません：" + why + "。");
        }

        // Both are checked before any object exists: an object that could never be given back
        // would be lost at every reload.
        for (const char* name : {createExportName, releaseExportName}) {
            if (!hasExport(linker, name)) {
                linker->release();
                return refuse(std::string("関数 ") + name + " が見つかりません。");
            }
        }
        auto create = reinterpret_cast<CreateExtractPluginFunction>(linker->link(createExportName));

        // The contract forbids exceptions across it; a plug-in that throws all the same is left
        // out rather than taking the whole load with it.
        IExtractPlugin* plugin = nullptr;
        try {
            plugin = create();
        } catch (...) {
            linker->release();
            return refuse(std::string("関数 ") + createExportName + " で例外が発生しました。");
        }
        if (plugin == nullptr) {
            linker->release();
            return refuse(std::string("関数 ") + createExportName + " がプラグインを返しませんでした。");
        }

        std::string id;
        bool idThrew = false;
        try {
            const char* idText = plugin->getID();
            if (idText != nullptr) id = idText;
        } catch (...) {
            idThrew = true;
        }
        // An empty identifier could not be told from no selection in the settings dialog, and a
        // second plug-in with a listed one could never be reached nor released by it.
        std::string reason;
        if (idThrew) {
            reason = "getID で例外が発生しました。";
        } else if (id.empty()) {
            reason = "プラグインの ID が空です。";
        } else if (indexMap.count(id) != 0) {
            reason = "ID「" + id + "」は先に読み込んだ " + paths[static_cast<std::size_t>(indexMap[id])] +
                     " と重複しています。";
        }
        if (!reason.empty()) {
            releaseThrough(linker, plugin);
            linker->release();
            return refuse(reason);
        }

        // The additions are optional: a library of the first contract has no such export.
        const ExtractPluginExtension* table = nullptr;
        if (hasExport(linker, extensionExportName)) {
            auto getExtension =
                reinterpret_cast<GetExtractPluginExtensionFunction>(linker->link(extensionExportName));
            try {
                table = getExtension();
            } catch (...) {
                // The object made is given back before the library is refused.
                const std::string why = thrownText(extensionExportName, std::current_exception());
                releaseThrough(linker, plugin);
                linker->release();
                return refuse("関数 " + why);
            }
        }

        indexMap.emplace(id, static_cast<int>(plugins.size()));
        linkerMap.emplace(id, linker);
        plugins.push_back(plugin);
        extensions.emplace_back(table);
        paths.push_back(path);
        return true;
    } catch (const Exception& e) {
        return refuse(e.getMessage());
    }
}

void PluginModel::unloadPlugins() {
    const std::lock_guard<std::recursive_mutex> hold(libraryGuard);
    for (const auto& [id, linker] : linkerMap) {
        releaseThrough(linker, plugins[static_cast<std::size_t>(indexMap[id])]);
    }
    plugins.clear();
    extensions.clear();
    paths.clear();
    failures.clear();
    indexMap.clear();
    linkerMap.clear();

    // The factory's linkers free their libraries as it dies, those of the skipped ones included.
    factory.reset();
    factory = createGlintfetchFactory();
}

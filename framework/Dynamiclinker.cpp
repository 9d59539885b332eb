#include "framework/Dynamiclinker.h"

#include "framework/Exception.h"

DynamicLinker::DynamicLinker() = default;

DynamicLinker::~DynamicLinker() { os::freeLibrary(module); }

void DynamicLinker::load(std::string fileName) {
    const os::LibraryHandle loaded = os::loadLibrary(fileName, loadError);
    os::freeLibrary(module);
    module = loaded;
    if (module == nullptr) {
        throw IOException("指定されたリンク対象のファイルを読み込めません。", "DynamicLinker::load");
    }
}

void* DynamicLinker::link(const char* name) {
    if (module == nullptr) throw RuntimeException("リンク対象ファイルが読み込まれていません。", "DynamicLinker::link");
    void* address = os::findSymbol(module, name);
    if (address == nullptr) throw RuntimeException("指定されたファンクション名が見つかりません。", "DynamicLinker::link");
    return address;
}

void* DynamicLinker::link(std::string name) { return link(name.c_str()); }

std::string DynamicLinker::getLoadError() { return loadError; }

void DynamicLinker::release() {
    if (module == nullptr) {
        throw IllegalStatusException("リンク対象ファイルが読み込まれていません。", "DynamicLinker::release");
    }
    os::freeLibrary(module);
    module = nullptr;
}

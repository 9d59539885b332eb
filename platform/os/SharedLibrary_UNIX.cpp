// dlopen implementation of platform/os/SharedLibrary.h; generic UNIX code only.
#include "platform/os/SharedLibrary.h"

#include "platform/os/ErrorText.h"

#include <dlfcn.h>

namespace {

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// dlerror's text is "<file>: <what>", where the file is the library asked for or one it needs.
std::string reasonFrom(const std::string& fileName, const char* said) {
    if (said == nullptr) return os::errorText(EINVAL);
    std::string what = said;
    std::string needed;
    if (startsWith(what, fileName + ": ")) {
        what.erase(0, fileName.size() + 2);
    } else if (const std::size_t colon = what.find(": "); colon != std::string::npos) {
        needed = what.substr(0, colon);
        what.erase(0, colon + 2);
    }
    const std::string cannotOpen = "cannot open shared object file: ";
    if (startsWith(what, cannotOpen)) {
        const std::string cause = what.substr(cannotOpen.size());
        if (!needed.empty() && cause == "No such file or directory") {
            return "必要なライブラリ「" + needed + "」が見つかりません";
        }
        if (cause == "No such file or directory") return os::errorText(ENOENT);
        if (cause == "Permission denied") return os::errorText(EACCES);
    }
    if (what == "cannot read file data: Is a directory") return os::errorText(EISDIR);
    if (what == "invalid ELF header" || what == "file too short") return "ELF 形式のファイルではありません";
    if (startsWith(what, "wrong ELF class")) return "この計算機とは別の種類の計算機向けのファイルです";
    const std::string undefined = "undefined symbol: ";
    if (startsWith(what, undefined)) {
        return "どこにも定義のないシンボル「" + what.substr(undefined.size()) + "」を使っています";
    }
    return said;
}

}  // namespace

namespace os {

LibraryHandle loadLibrary(const std::string& fileName) {
    std::string reason;
    return loadLibrary(fileName, reason);
}

LibraryHandle loadLibrary(const std::string& fileName, std::string& reason) {
    reason.clear();
    // dlopen takes an empty name for the program itself, which is no library to load.
    if (fileName.empty()) {
        reason = errorText(ENOENT);
        return nullptr;
    }
    ::dlerror();
    LibraryHandle library = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) reason = reasonFrom(fileName, ::dlerror());
    return library;
}

void* findSymbol(LibraryHandle library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return ::dlsym(library, name);
}

void freeLibrary(LibraryHandle library) {
    if (library != nullptr) ::dlclose(library);
}

}  // namespace os

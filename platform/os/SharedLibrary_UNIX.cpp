// dlopen implementation of platform/os/SharedLibrary.h; generic UNIX code only.
#include "platform/os/SharedLibrary.h"

#include <dlfcn.h>

namespace os {

LibraryHandle loadLibrary(const std::string& fileName) {
    // dlopen takes an empty name for the program itself, which is no library to load.
    if (fileName.empty()) return nullptr;
    return ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(LibraryHandle library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return ::dlsym(library, name);
}

void freeLibrary(LibraryHandle library) {
    if (library != nullptr) ::dlclose(library);
}

}  // namespace os

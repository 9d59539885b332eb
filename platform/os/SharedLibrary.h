#pragma once

#include <string>

// Loading shared libraries and resolving their exports.
namespace os {

using LibraryHandle = void*;

// Null when the library cannot be loaded. A name without "/" is found on the system's library
// search path; an empty name loads nothing.
LibraryHandle loadLibrary(const std::string& fileName);
// Null when the library does not export the name.
void* findSymbol(LibraryHandle library, const char* name);
void freeLibrary(LibraryHandle library);

}  // namespace os

#pragma once

#include <string>

// Loading shared libraries and resolving their exports.
namespace os {

using LibraryHandle = void*;

// Null when the library cannot be loaded. A name without "/" is found on the system's library
// search path; an empty name loads nothing.
LibraryHandle loadLibrary(const std::string& fileName);
// The same; after a failure, reason says why in words for the user: the loader's own reason,
// put in the program's words where it is one of the usual ones (no such file, no ELF file, a
// library it needs missing, a symbol nobody defines), else as the loader wrote it.
LibraryHandle loadLibrary(const std::string& fileName, std::string& reason);
// Null when the library does not export the name.
void* findSymbol(LibraryHandle library, const char* name);
void freeLibrary(LibraryHandle library);

}  // namespace os

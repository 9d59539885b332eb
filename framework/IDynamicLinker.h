#pragma once

#include <string>

// Loads one shared library and resolves its exports by name. Deleting the linker (with its
// factory) frees a library still held.
class IDynamicLinker {
public:
    // IOException when the library cannot be loaded; the linker then holds none.
    virtual void load(std::string fileName) = 0;
    // The export's address, for the caller to convert to the function type it expects.
    // RuntimeException when no library is held or the name is not exported.
    virtual void* link(const char* name) = 0;
    virtual void* link(std::string name) = 0;
    // IllegalStatusException when no library is held.
    virtual void release() = 0;
    // Why the last load failed, in words for the user; "" before any load and after one that
    // succeeded. The exception of load says only that it failed.
    virtual std::string getLoadError() = 0;

protected:
    ~IDynamicLinker() = default;
};

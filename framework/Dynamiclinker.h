#pragma once

#include "framework/IDynamicLinker.h"
#include "platform/os/SharedLibrary.h"

#include <string>

// One shared library, loaded by name and freed on release or with the linker.
class DynamicLinker : public IDynamicLinker {
public:
    DynamicLinker();
    DynamicLinker(const DynamicLinker&) = delete;
    DynamicLinker& operator=(const DynamicLinker&) = delete;

    // A library already held is freed first, so a second load leaks nothing.
    void load(std::string fileName) override;
    void* link(const char* name) override;
    void* link(std::string name) override;
    void release() override;
    std::string getLoadError() override;

    virtual ~DynamicLinker();

private:
    os::LibraryHandle module = nullptr;
    std::string loadError;
};

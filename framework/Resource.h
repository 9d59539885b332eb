#pragma once

#include "framework/IResource.h"

#include <cstdint>
#include <string>

// A file-system entry: a snapshot of what its path named when it was last looked up.
class Resource : public IResource {
public:
    Resource();

    std::string getPath() override;
    void setPath(std::string path) override;
    std::string getName() override;
    std::string getParent() override;
    bool isDirectory() override;
    bool isFile() override;
    bool exists() override;
    std::uint32_t getSizeLow() override;
    void getSize(std::uint32_t* high, std::uint32_t* low) override;
    bool createDirectory() override;
    bool createFile() override;
    bool isWritable() override;
    bool remove() override;

    virtual ~Resource();

private:
    std::string path;
    std::string name;
    std::string parent;
    bool directory = false;
    bool file = false;
    std::uint64_t size = 0;  // kept from the last look-up that found the entry
};

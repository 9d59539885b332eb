#pragma once

#include "framework/IResource.h"
#include "platform/os/FileSystem.h"

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
    ResourceKind getKind() override;
    bool isFile() override;
    bool exists() override;
    std::uint32_t getSizeLow() override;
    void getSize(std::uint32_t* high, std::uint32_t* low) override;
    std::uint64_t getDeviceId() override;
    std::uint64_t getFileId() override;
    bool createDirectory() override;
    bool createFile() override;
    bool moveTo(std::string path) override;
    bool isWritable() override;
    bool remove() override;
    bool renameTo(const std::string& target) override;
    bool setModificationTime(std::int64_t seconds) override;

    virtual ~Resource();

private:
    void take(const os::FileAttributes& attributes);
    void split();

    std::string path;
    std::string name;
    std::string parent;
    bool directory = false;
    bool file = false;
    ResourceKind kind = ResourceKind::none;
    std::uint64_t size = 0;  // kept from the last look-up that found the entry
    std::uint64_t device = 0;
    std::uint64_t node = 0;
};

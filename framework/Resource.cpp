#include "framework/Resource.h"

#include "platform/os/FileSystem.h"

#include <utility>

Resource::Resource() = default;

Resource::~Resource() = default;

std::string Resource::getPath() { return path; }

void Resource::setPath(std::string newPath) {
    // One trailing separator goes, but "/" alone stays: without it the root would be the empty
    // path, which names nothing.
    if (newPath.size() > 1 && newPath.back() == '/') newPath.pop_back();
    path = std::move(newPath);

    os::FileAttributes attributes;
    if (!os::getFileAttributes(path, attributes)) {
        directory = false;
        file = false;
        name.clear();
        parent.clear();
        return;
    }
    directory = attributes.directory;
    file = !attributes.directory;
    size = attributes.size;
    const std::string::size_type separator = path.rfind('/');
    if (separator == std::string::npos) {
        name = path;
        parent.clear();
    } else {
        name = path.substr(separator + 1);
        parent = path.substr(0, separator);
    }
}

std::string Resource::getName() { return name; }

std::string Resource::getParent() { return parent; }

bool Resource::isDirectory() { return directory; }

bool Resource::isFile() { return file; }

bool Resource::exists() { return directory || file; }

std::uint32_t Resource::getSizeLow() { return static_cast<std::uint32_t>(size); }

void Resource::getSize(std::uint32_t* high, std::uint32_t* low) {
    *high = static_cast<std::uint32_t>(size >> 32);
    *low = static_cast<std::uint32_t>(size);
}

bool Resource::createDirectory() { return os::createDirectory(path); }

bool Resource::createFile() {
    if (file || directory) return false;
    if (!os::createNewFile(path)) return false;
    setPath(path);
    return true;
}

bool Resource::isWritable() { return os::isWritable(path); }

bool Resource::remove() {
    if (file) return os::deleteFile(path);
    if (directory) return os::removeDirectory(path);
    return false;
}

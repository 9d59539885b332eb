#include "framework/Resource.h"

#include "platform/os/FileSystem.h"

#include <utility>

namespace {

ResourceKind kindOf(os::EntryKind kind) {
    switch (kind) {
    case os::EntryKind::regular: return ResourceKind::file;
    case os::EntryKind::directory: return ResourceKind::directory;
    case os::EntryKind::blockDevice: return ResourceKind::blockDevice;
    case os::EntryKind::characterDevice: return ResourceKind::characterDevice;
    case os::EntryKind::pipe: return ResourceKind::pipe;
    case os::EntryKind::socket: return ResourceKind::socket;
    case os::EntryKind::other: break;
    }
    return ResourceKind::other;
}

}  // namespace

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
        kind = ResourceKind::none;
        device = 0;
        node = 0;
        name.clear();
        parent.clear();
        return;
    }
    take(attributes);
}

void Resource::take(const os::FileAttributes& attributes) {
    directory = attributes.directory;
    file = !attributes.directory;
    kind = kindOf(attributes.kind);
    size = attributes.size;
    device = attributes.device;
    node = attributes.node;
    split();
}

void Resource::split() {
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

ResourceKind Resource::getKind() { return kind; }

bool Resource::exists() { return directory || file; }

std::uint32_t Resource::getSizeLow() { return static_cast<std::uint32_t>(size); }

void Resource::getSize(std::uint32_t* high, std::uint32_t* low) {
    *high = static_cast<std::uint32_t>(size >> 32);
    *low = static_cast<std::uint32_t>(size);
}

std::uint64_t Resource::getDeviceId() { return device; }

std::uint64_t Resource::getFileId() { return node; }

bool Resource::createDirectory() { return os::createDirectory(path); }

bool Resource::createFile() {
    if (file || directory) return false;
    os::FileAttributes made;
    if (!os::createNewFile(path, made)) return false;
    take(made);
    return true;
}

bool Resource::moveTo(std::string newPath) {
    if (!file || !os::moveNoReplace(path, newPath)) return false;
    path = std::move(newPath);
    split();
    return true;
}

bool Resource::isWritable() { return os::isWritable(path); }

bool Resource::renameTo(const std::string& target) {
    return file && os::renameFile(path, target);
}

bool Resource::remove() {
    if (file) return os::deleteFile(path);
    if (directory) return os::removeDirectory(path);
    return false;
}

bool Resource::setModificationTime(std::int64_t seconds) {
    return file && os::setModificationTime(path, seconds);
}

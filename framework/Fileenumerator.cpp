#include "framework/Fileenumerator.h"

#include "framework/Exception.h"
#include "framework/IFileEnumerateListener.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "platform/os/DirectorySearch.h"

#include <memory>
#include <utility>

FileEnumerator::FileEnumerator() = default;

FileEnumerator::~FileEnumerator() = default;

void FileEnumerator::setPath(std::string newPath) { path = std::move(newPath); }

void FileEnumerator::addListener(IFileEnumerateListener* listener) { listeners.push_back(listener); }

bool FileEnumerator::isRecursive() { return recursive; }

void FileEnumerator::setRecursive(bool newRecursive) { recursive = newRecursive; }

void FileEnumerator::enumerate() {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* entry = factory->createResource();
    entry->setPath(path);
    if (entry->isDirectory()) {
        enumerateDirectory(entry->getPath());
    } else if (entry->isFile()) {
        // A file stands for its whole folder.
        enumerateDirectory(entry->getParent());
    } else {
        throw IOException("指定されたファイルが無効です。", "FileEnumerator::enumerate");
    }
}

void FileEnumerator::enumerateDirectory(std::string folder) {
    // The root, "/", already ends in the separator; the parent of a top-level file is "".
    const std::string prefix = !folder.empty() && folder.back() == '/' ? folder : folder + "/";
    os::DirectorySearch search;
    if (!search.open(prefix)) return;
    std::string found;
    while (search.next(found)) {
        const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
        IResource* entry = factory->createResource();
        entry->setPath(prefix + found);
        const std::string name = entry->getName();
        if (name == "." || name == "..") continue;
        for (std::size_t i = 0; i < listeners.size(); ++i) {
            listeners[i]->onEnumerate(entry);
        }
        if (isRecursive() && entry->isDirectory()) enumerateDirectory(entry->getPath());
    }
}

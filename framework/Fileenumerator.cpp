#include "framework/Fileenumerator.h"

#include "framework/Exception.h"
#include "framework/IFileEnumerateListener.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "platform/os/FileSystem.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// The folder that holds a file: the empty text for a bare name, which is the current folder
// (the entry's own parent is empty for it, as it is for a file at the root).
std::string folderOf(const std::string& file) {
    const std::string::size_type slash = file.rfind('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return "/";
    return file.substr(0, slash);
}

}  // namespace

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
    entered.clear();
    if (entry->isDirectory()) {
        enumerateDirectory(entry->getPath());
    } else if (entry->isFile()) {
        // A file stands for its whole folder.
        enumerateDirectory(folderOf(entry->getPath()));
    } else {
        throw IOException("指定されたファイルが無効です。", "FileEnumerator::enumerate");
    }
}

void FileEnumerator::enumerateDirectory(std::string folder) {
    // The root, "/", already ends in the separator.
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';

    // Names, sorted by what they add to the path: a folder's name with its separator, so that
    // "a/x" comes before "a.so" as the path order says. A folder already entered (through a link,
    // "." or "..") is not read again.
    struct Found {
        std::string name;
        std::string key;
    };
    std::vector<Found> names;
    {
        os::DirectorySearch search;
        if (!search.open(prefix.empty() ? "." : prefix)) return;
        os::DirectorySearch::Identity identity;
        if (search.identity(identity) && !entered.insert(identity).second) return;
        std::string name;
        while (search.next(name)) {
            if (name == "." || name == "..") continue;
            os::FileAttributes attributes;
            const bool isFolder = os::getFileAttributes(prefix + name, attributes) && attributes.directory;
            names.push_back({name, isFolder ? name + "/" : name});
        }
    }
    std::sort(names.begin(), names.end(),
              [](const Found& a, const Found& b) { return a.key < b.key; });

    for (const Found& found : names) {
        const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
        IResource* entry = factory->createResource();
        entry->setPath(prefix + found.name);
        for (std::size_t i = 0; i < listeners.size(); ++i) {
            listeners[i]->onEnumerate(entry);
        }
        if (isRecursive() && entry->isDirectory()) enumerateDirectory(entry->getPath());
    }
}

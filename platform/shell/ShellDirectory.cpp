#include "platform/shell/ShellDirectory.h"

#include "platform/shell/ShellPlaces.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>

#include <cerrno>
#include <cstring>

namespace {

bool hidden(const char* name) {
    return name[0] == '.';
}

bool entryIsFolder(const std::string& folder, const dirent* entry) {
    if (entry->d_type == DT_DIR) {
        return true;
    }
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) {
        return false;
    }
    return ShellDirectory::isFolder(ShellPlaces::join(folder, entry->d_name));
}

// Closes the stream however the reading ends.
class OpenFolder {
public:
    explicit OpenFolder(const std::string& path) : stream(opendir(path.c_str())) {}
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder() {
        if (stream != nullptr) {
            closedir(stream);
        }
    }
    DIR* const stream;
};

}  // namespace

ShellResult ShellDirectory::probeFolder(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return -errno;
    }
    return S_ISDIR(status.st_mode) ? ShellOk : -ENOTDIR;
}

bool ShellDirectory::isFolder(const std::string& path) {
    return probeFolder(path) == ShellOk;
}

ShellResult ShellDirectory::probeEntry(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? ShellOk : -errno;
}

bool ShellDirectory::hasVisibleSubFolder(const std::string& path) {
    OpenFolder folder(path);
    if (folder.stream == nullptr) {
        return errno == EACCES || errno == EPERM;
    }
    while (const dirent* entry = readdir(folder.stream)) {
        if (!hidden(entry->d_name) && entryIsFolder(path, entry)) {
            return true;
        }
    }
    return false;
}

ShellResult ShellDirectory::createFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? ShellOk : -errno;
}

ShellResult ShellDirectory::rename(const std::string& from, const std::string& to) {
    // rename() would put a folder in the place of an empty folder of that name.
    if (probeEntry(to) == ShellOk) {
        return -EEXIST;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? ShellOk : -errno;
}

ShellResult ShellDirectory::read(const std::string& path, unsigned flags, std::vector<ShellItemId>& entries) {
    entries.clear();
    OpenFolder folder(path);
    if (folder.stream == nullptr) {
        return -errno;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(folder.stream);
        if (entry == nullptr) {
            if (errno != 0) {
                const int error = errno;
                entries.clear();
                return -error;
            }
            return ShellOk;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0 ||
            (hidden(entry->d_name) && (flags & ShellEnumIncludeHidden) == 0)) {
            continue;
        }
        ShellItemId item;
        item.kind = ShellItemId::Entry;
        item.folder = entryIsFolder(path, entry);
        item.name = entry->d_name;
        if ((flags & (item.folder ? ShellEnumFolders : ShellEnumNonFolders)) != 0) {
            entries.push_back(std::move(item));
        }
    }
}

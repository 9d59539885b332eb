// POSIX implementation of platform/os/DirectorySearch.h; generic UNIX code only.
#include "platform/os/DirectorySearch.h"

#include <dirent.h>
#include <sys/stat.h>

namespace os {

DirectorySearch::~DirectorySearch() { close(); }

bool DirectorySearch::open(const std::string& folder) {
    close();
    if (folder.empty()) return false;
    stream = ::opendir(folder.c_str());
    return stream != nullptr;
}

bool DirectorySearch::identity(Identity& identity) const {
    if (stream == nullptr) return false;
    struct stat status;
    if (::fstat(::dirfd(static_cast<DIR*>(stream)), &status) != 0) return false;
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.node = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

bool DirectorySearch::next(std::string& name) {
    if (stream == nullptr) return false;
    const dirent* entry = ::readdir(static_cast<DIR*>(stream));
    if (entry == nullptr) return false;
    name = entry->d_name;
    return true;
}

void DirectorySearch::close() {
    if (stream != nullptr) {
        ::closedir(static_cast<DIR*>(stream));
        stream = nullptr;
    }
}

}  // namespace os

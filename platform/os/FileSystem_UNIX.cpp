// POSIX implementation of platform/os/FileSystem.h; generic UNIX code only.
#include "platform/os/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

bool getFileAttributes(const std::string& path, FileAttributes& attributes) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
    attributes.directory = S_ISDIR(info.st_mode);
    attributes.size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool createDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool createNewFile(const std::string& path) {
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool deleteFile(const std::string& path) {
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool removeDirectory(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool isWritable(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    // Entries of a folder are reached through its search permission as well.
    const int wanted = S_ISDIR(info.st_mode) ? W_OK | X_OK : W_OK;
    return ::faccessat(AT_FDCWD, path.c_str(), wanted, AT_EACCESS) == 0;
}

}  // namespace os

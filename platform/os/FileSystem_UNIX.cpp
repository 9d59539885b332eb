// POSIX implementation of platform/os/FileSystem.h; generic UNIX code only.
#include "platform/os/FileSystem.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#endif

#include <cerrno>
#include <cstdio>

namespace os {

namespace {

EntryKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) return EntryKind::regular;
    if (S_ISDIR(mode)) return EntryKind::directory;
    if (S_ISBLK(mode)) return EntryKind::blockDevice;
    if (S_ISCHR(mode)) return EntryKind::characterDevice;
    if (S_ISFIFO(mode)) return EntryKind::pipe;
    if (S_ISSOCK(mode)) return EntryKind::socket;
    return EntryKind::other;
}

void describe(const struct stat& info, FileAttributes& attributes) {
    attributes.kind = kindOf(info.st_mode);
    attributes.directory = attributes.kind == EntryKind::directory;
    attributes.size = static_cast<std::uint64_t>(info.st_size);
    attributes.device = static_cast<std::uint64_t>(info.st_dev);
    attributes.node = static_cast<std::uint64_t>(info.st_ino);
}

}  // namespace

bool getFileAttributes(const std::string& path, FileAttributes& attributes) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
    describe(info, attributes);
    // A block device's entry tells nothing of its size (0): only the device does.
    if (attributes.kind == EntryKind::blockDevice && !measureContent(path, attributes.size)) {
        attributes.size = 0;
    }
    return true;
}

bool measureContent(const std::string& path, std::uint64_t& size) {
    if (path.empty()) return false;
    struct stat info {};
    // Opening a pipe or a terminal would wait for, or take, what someone else is to read.
    if (::stat(path.c_str(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))) {
        return false;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    std::uint64_t bytes = 0;
#ifdef BLKGETSIZE64
    bool known = ::ioctl(fd, BLKGETSIZE64, &bytes) == 0;
#else
    bool known = false;
#endif
    if (!known) {
        const off_t end = ::lseek(fd, 0, SEEK_END);
        known = end >= 0;
        bytes = known ? static_cast<std::uint64_t>(end) : 0;
    }
    ::close(fd);
    if (known) size = bytes;
    return known;
}

bool createDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool createNewFile(const std::string& path) {
    FileAttributes ignored;
    return createNewFile(path, ignored);
}

bool createNewFile(const std::string& path, FileAttributes& created) {
    if (path.empty()) return false;
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        describe(info, created);
    } else {
        // Made all the same; without its number it matches no later look-up.
        created = FileAttributes{};
    }
    ::close(fd);
    return true;
}

bool moveNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // A file system that cannot do it in one step still can in two.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // A link, unlike a rename, never replaces what is at its name.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool renameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool deleteFile(const std::string& path) {
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool removeDirectory(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool setModificationTime(const std::string& path, std::int64_t seconds) {
    if (path.empty()) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
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

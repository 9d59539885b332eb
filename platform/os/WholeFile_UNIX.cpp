#include "platform/os/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace os {

namespace {

// Closes on every path out, so that a failure half-way leaks no descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    int get() const { return fd; }
    // close() can report a failed write-back; the caller must see it.
    bool close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

private:
    int fd;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes the rename itself durable. Best effort: some file systems refuse to sync a folder, and
// the file is already replaced by then.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A name beside path that no other file has; the file is created exclusively under it.
int createTemporary(const std::string& path, std::string& temporaryPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The file a path names once every symbolic link on its last part is followed; the path itself
// when it is no link. A dangling link gives the path it points to, so that a save creates the
// file there. Links of the folders above are left to the system.
std::string linkTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        char buffer[4096];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return current;
        const std::string pointed(buffer, static_cast<std::size_t>(length));
        current = pointed.front() == '/' ? pointed : folderOf(current) + "/" + pointed;
    }
    return current;
}

// Writes over the file itself, for a file whose owner a new file could not get.
ReplaceResult rewriteInPlace(const std::string& path, const char* data, std::size_t size) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (file.get() < 0) return ReplaceResult::Failed;
    const bool written = writeAll(file.get(), data, size) && ::fsync(file.get()) == 0;
    return file.close() && written ? ReplaceResult::Replaced : ReplaceResult::Failed;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& contents) {
    return readWholeFile(path, contents, SIZE_MAX) == ReadResult::Read;
}

ReadResult readWholeFile(const std::string& path, std::string& contents, std::size_t limit) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return ReadResult::Unreadable;
    struct stat status;
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return ReadResult::Unreadable;
    if (static_cast<std::uintmax_t>(status.st_size) > limit) return ReadResult::TooLarge;

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return ReadResult::Unreadable;
        }
        if (got == 0) break;
        // The file may grow while it is read.
        if (static_cast<std::size_t>(got) > limit - bytes.size()) return ReadResult::TooLarge;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    contents.swap(bytes);
    return ReadResult::Read;
}

ReplaceResult replaceWholeFile(const std::string& path, const char* data, std::size_t size) {
    const std::string target = linkTarget(path);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        return ReplaceResult::ReadOnly;
    }

    std::string temporaryPath;
    Descriptor file(createTemporary(target, temporaryPath));
    if (file.get() < 0) return ReplaceResult::Failed;
    bool inPlace = false;
    if (exists) {
        ::fchmod(file.get(), existing.st_mode & 07777);
        struct stat made;
        if (::fstat(file.get(), &made) == 0 && (made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
            ::fchown(file.get(), existing.st_uid, existing.st_gid) != 0) {
            inPlace = true;
        }
    }
    if (inPlace) {
        file.close();
        ::unlink(temporaryPath.c_str());
        return rewriteInPlace(target, data, size);
    }

    const bool written = writeAll(file.get(), data, size) && ::fsync(file.get()) == 0;
    if (!file.close() || !written || ::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        ::unlink(temporaryPath.c_str());
        return ReplaceResult::Failed;
    }
    syncFolder(folderOf(target));
    return ReplaceResult::Replaced;
}

}  // namespace os

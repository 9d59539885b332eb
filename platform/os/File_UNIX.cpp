// POSIX implementation of platform/os/File.h; generic UNIX code only.
#include "platform/os/File.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace os {

File::File(int descriptor) : descriptor(descriptor) {}

File::~File() { close(); }

File::File(File&& other) noexcept : descriptor(std::exchange(other.descriptor, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        descriptor = std::exchange(other.descriptor, -1);
    }
    return *this;
}

File File::open(const std::string& path, Access access) {
    if (path.empty()) return File();
    // O_NONBLOCK only for the open itself, so that a FIFO cannot hang it.
    const int flags = (access == Access::read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return File();
    File file(fd);
    const int lock = (access == Access::read ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int locked;
    do {
        locked = ::flock(fd, lock);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) return File();
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) return File();
    return file;
}

bool File::isOpen() const { return descriptor >= 0; }

std::int64_t File::read(void* buffer, std::size_t count) {
    if (descriptor < 0) return -1;
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(descriptor, bytes + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t File::write(const void* buffer, std::size_t count) {
    if (descriptor < 0) return -1;
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(descriptor, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (put == 0) break;
        done += static_cast<std::size_t>(put);
    }
    return static_cast<std::int64_t>(done);
}

File::SeekResult File::seek(std::int64_t offset, Origin origin) {
    if (descriptor < 0) return SeekResult::failed;
    const int whence = origin == Origin::begin ? SEEK_SET : origin == Origin::current ? SEEK_CUR : SEEK_END;
    if (::lseek(descriptor, static_cast<off_t>(offset), whence) >= 0) return SeekResult::moved;
    return errno == EINVAL ? SeekResult::refused : SeekResult::failed;
}

std::int64_t File::position() {
    if (descriptor < 0) return -1;
    return static_cast<std::int64_t>(::lseek(descriptor, 0, SEEK_CUR));
}

void File::close() {
    if (descriptor >= 0) {
        // Closing the last descriptor of the open file drops its lock.
        ::close(descriptor);
        descriptor = -1;
    }
}

}  // namespace os

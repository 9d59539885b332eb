// POSIX implementation of platform/os/File.h; generic UNIX code only.
#include "platform/os/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

File::File(int descriptor) : descriptor(descriptor) {}

File::~File() { close(); }

File::File(File&& other) noexcept
    : descriptor(std::exchange(other.descriptor, -1)),
      dataFrom(std::exchange(other.dataFrom, 0)),
      dataTo(std::exchange(other.dataTo, 0)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        descriptor = std::exchange(other.descriptor, -1);
        dataFrom = std::exchange(other.dataFrom, 0);
        dataTo = std::exchange(other.dataTo, 0);
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

namespace {

// Reads below this size are taken as they come: asking where the holes lie would cost more than
// it saves.
constexpr std::size_t holeAwareSize = 256 * 1024;

std::int64_t readPlain(int descriptor, char* bytes, std::size_t count) {
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

// The same bytes as a plain read, but the holes of a sparse file (a disk image, mostly) are
// cleared here instead of read: the kernel would fill page after page of its cache with zeros
// for them, at a fraction of the speed of clearing the caller's buffer. Leaves the position
// where a plain read would. -2 when the file system cannot tell its holes: read plainly then.
// [dataFrom, dataTo) is known to hold data and is read without asking; what the file system
// tells of the data at the read's position is kept there. A stretch that was data stays safe to
// read plainly whatever happens to the file, so the knowledge never goes stale.
std::int64_t readAroundHoles(int descriptor, char* bytes, std::size_t count, std::int64_t& dataFrom,
                             std::int64_t& dataTo) {
    const off_t start = ::lseek(descriptor, 0, SEEK_CUR);
    struct stat status;
    if (start < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return -2;
    const off_t end = std::min<off_t>(status.st_size, start + static_cast<off_t>(count));
    off_t at = start;
    while (at < end) {
        off_t hole;
        if (at >= dataFrom && at < dataTo) {
            hole = std::min<off_t>(dataTo, end);
        } else {
            off_t data = ::lseek(descriptor, at, SEEK_DATA);
            if (data < 0) {
                if (errno != ENXIO) return at == start ? -2 : -1;
                data = end;  // A hole up to the end of the file.
            }
            data = std::min(data, end);
            if (data > at) {
                std::memset(bytes + (at - start), 0, static_cast<std::size_t>(data - at));
                at = data;
                continue;
            }
            hole = ::lseek(descriptor, at, SEEK_HOLE);
            if (hole < 0) return at == start ? -2 : -1;
            hole = std::max(hole, at + 1);
            dataFrom = at;
            dataTo = hole;
            hole = std::min(hole, end);
        }
        if (::lseek(descriptor, at, SEEK_SET) < 0) return -1;
        const off_t wanted = hole - at;
        const std::int64_t got = readPlain(descriptor, bytes + (at - start), static_cast<std::size_t>(wanted));
        if (got < 0) return -1;
        at += static_cast<off_t>(got);
        // The file was cut short while being read.
        if (got < wanted) break;
    }
    if (::lseek(descriptor, at, SEEK_SET) < 0) return -1;
    if (at == status.st_size && at < start + static_cast<off_t>(count)) {
        // It may have grown since its size was taken.
        const std::int64_t more =
            readPlain(descriptor, bytes + (at - start), count - static_cast<std::size_t>(at - start));
        if (more < 0) return -1;
        at += static_cast<off_t>(more);
    }
    return static_cast<std::int64_t>(at - start);
}

}  // namespace

std::int64_t File::read(void* buffer, std::size_t count) {
    if (descriptor < 0) return -1;
    auto* bytes = static_cast<char*>(buffer);
    if (count >= holeAwareSize) {
        const std::int64_t got = readAroundHoles(descriptor, bytes, count, dataFrom, dataTo);
        if (got != -2) return got;
    }
    return readPlain(descriptor, bytes, count);
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
    dataFrom = 0;
    dataTo = 0;
}

}  // namespace os

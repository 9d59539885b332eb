// POSIX implementation of platform/os/File.h; generic UNIX code only.
#include "platform/os/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

namespace os {

File::File(int descriptor) : descriptor(descriptor) {}

File::~File() { close(); }

File::File(File&& other) noexcept
    : descriptor(std::exchange(other.descriptor, -1)),
      readError(std::exchange(other.readError, ReadError::none)),
      faults(std::move(other.faults)),
      dataFrom(std::exchange(other.dataFrom, 0)),
      dataTo(std::exchange(other.dataTo, 0)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        descriptor = std::exchange(other.descriptor, -1);
        readError = std::exchange(other.readError, ReadError::none);
        faults = std::move(other.faults);
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
    file.faults = ReadFaults::planFor(path);
    return file;
}

bool File::isOpen() const { return descriptor >= 0; }

namespace {

// Reads below this size are taken as they come: asking where the holes lie would cost more than
// it saves.
constexpr std::size_t holeAwareSize = 256 * 1024;

// Every read of the file's bytes goes through these two, so that injected faults meet them all.
ssize_t systemRead(int descriptor, char* bytes, std::size_t count, ReadFaults::Plan* faults) {
    if (faults != nullptr) {
        const int error = ReadFaults::check(*faults, ::lseek(descriptor, 0, SEEK_CUR), count);
        if (error != 0) {
            errno = error;
            return -1;
        }
    }
    return ::read(descriptor, bytes, count);
}

ssize_t systemReadAt(int descriptor, char* bytes, std::size_t count, off_t at, ReadFaults::Plan* faults) {
    if (faults != nullptr) {
        const int error = ReadFaults::check(*faults, at, count);
        if (error != 0) {
            errno = error;
            return -1;
        }
    }
    return ::pread(descriptor, bytes, count, at);
}

File::ReadError readErrorOf(int error) {
    switch (error) {
    case EIO:
        return File::ReadError::unreadable;
    case ENODEV:
    case ENXIO:
        return File::ReadError::gone;
    default:
        return File::ReadError::other;
    }
}

std::int64_t readPlain(int descriptor, char* bytes, std::size_t count, ReadFaults::Plan* faults) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = systemRead(descriptor, bytes + done, count - done, faults);
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
                             std::int64_t& dataTo, ReadFaults::Plan* faults) {
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
        const std::int64_t got = readPlain(descriptor, bytes + (at - start), static_cast<std::size_t>(wanted), faults);
        if (got < 0) return -1;
        at += static_cast<off_t>(got);
        // The file was cut short while being read.
        if (got < wanted) break;
    }
    if (::lseek(descriptor, at, SEEK_SET) < 0) return -1;
    if (at == status.st_size && at < start + static_cast<off_t>(count)) {
        // It may have grown since its size was taken.
        const std::int64_t more =
            readPlain(descriptor, bytes + (at - start), count - static_cast<std::size_t>(at - start), faults);
        if (more < 0) return -1;
        at += static_cast<off_t>(more);
    }
    return static_cast<std::int64_t>(at - start);
}

}  // namespace

std::int64_t File::read(void* buffer, std::size_t count) {
    readError = ReadError::none;
    if (descriptor < 0) return -1;
    auto* bytes = static_cast<char*>(buffer);
    std::int64_t got = -2;
    if (count >= holeAwareSize) got = readAroundHoles(descriptor, bytes, count, dataFrom, dataTo, faults.get());
    if (got == -2) got = readPlain(descriptor, bytes, count, faults.get());
    if (got < 0) readError = readErrorOf(errno);
    return got;
}

namespace {

// Narrows a read that failed with an input/output error down to the sectors that cause it. The
// edges of a bad stretch are looked for first, by halving from its good sides, so that the good
// bytes around it are kept to the sector; the bytes between are tried in halves, as long as the
// tries last. A failing device takes long over every failed read, and each one wears it further:
// once 64 reads have failed, and one more for every 64 KiB asked for, whatever is not yet known
// good counts as unreadable.
class Salvage {
public:
    Salvage(int descriptor, char* bytes, std::int64_t start, std::int64_t count, std::int64_t sector,
            ReadFaults::Plan* faults)
        : descriptor(descriptor), bytes(bytes), start(start), sector(sector), faults(faults),
          maxFailures(64 + static_cast<int>(std::min<std::int64_t>(count / 65536, 1 << 20))) {}

    // [from, to) failed as a whole when bad is set; false when the reading had to stop (the
    // device went, or failed otherwise than at a sector), with errno telling why.
    bool narrow(std::int64_t from, std::int64_t to, bool bad) {
        if (from >= to || stopped) return !stopped;
        if (failures >= maxFailures) return hole(from, to);
        if (!bad) {
            const Try outcome = attempt(from, to);
            if (outcome != Try::failed) return outcome == Try::read;
        }
        if (oneSector(from, to)) return hole(from, to);
        // The first bad sector, with the good bytes before it.
        std::int64_t low = from;
        std::int64_t high = to;
        if (!halve(low, high, true)) return false;
        hole(low, high);
        if (failures >= maxFailures) return hole(high, to);
        const std::int64_t afterFirst = high;
        if (afterFirst >= to) return true;
        const Try rest = attempt(afterFirst, to);
        if (rest != Try::failed) return rest == Try::read;
        // The last bad sector, with the good bytes after it.
        low = afterFirst;
        high = to;
        if (!halve(low, high, false)) return false;
        hole(low, high);
        if (failures >= maxFailures) return hole(afterFirst, low);
        if (afterFirst >= low) return true;
        if (oneSector(afterFirst, low)) return narrow(afterFirst, low, false);
        const std::int64_t middle = split(afterFirst, low);
        return narrow(afterFirst, middle, false) && narrow(middle, low, false);
    }

    std::vector<File::Span> holes;

private:
    enum class Try { read, failed, stopped };

    bool oneSector(std::int64_t from, std::int64_t to) const { return from / sector == (to - 1) / sector; }

    // A sector boundary inside (from, to), near its middle.
    std::int64_t split(std::int64_t from, std::int64_t to) const {
        std::int64_t middle = from + (to - from) / 2;
        middle -= middle % sector;
        if (middle <= from) middle = from - from % sector + sector;
        return middle;
    }

    // [low, high) holds a bad sector; narrows it to one, from the left (first) or the right.
    // When the tries run out it stays as far as it got.
    bool halve(std::int64_t& low, std::int64_t& high, bool fromLeft) {
        while (!oneSector(low, high) && failures < maxFailures) {
            const std::int64_t middle = split(low, high);
            const Try outcome = fromLeft ? attempt(low, middle) : attempt(middle, high);
            if (outcome == Try::stopped) return false;
            // The half tried is good: the bad sector lies in the other one.
            if ((outcome == Try::read) == fromLeft) {
                low = middle;
            } else {
                high = middle;
            }
        }
        return true;
    }

    Try attempt(std::int64_t from, std::int64_t to) {
        std::int64_t at = from;
        while (at < to) {
            const ssize_t got = systemReadAt(descriptor, bytes + (at - start), static_cast<std::size_t>(to - at),
                                             static_cast<off_t>(at), faults);
            if (got < 0) {
                if (errno == EINTR) continue;
                if (errno == EIO) {
                    ++failures;
                    return Try::failed;
                }
                stopped = true;
                return Try::stopped;
            }
            if (got == 0) {
                // The file was cut short meanwhile: nothing is there to read.
                std::memset(bytes + (at - start), 0, static_cast<std::size_t>(to - at));
                break;
            }
            at += got;
        }
        return Try::read;
    }

    bool hole(std::int64_t from, std::int64_t to) {
        if (from >= to) return true;
        std::memset(bytes + (from - start), 0, static_cast<std::size_t>(to - from));
        holes.push_back(File::Span{from, to - from});
        return true;
    }

    int descriptor;
    char* bytes;
    std::int64_t start;
    std::int64_t sector;
    ReadFaults::Plan* faults;
    int maxFailures;
    int failures = 0;
    bool stopped = false;
};

// The smallest unit the device reads: its logical sector for a block device, else the 512 bytes
// that every disk reads at the least.
std::int64_t sectorSize(int descriptor) {
    int size = 0;
#ifdef BLKSSZGET
    struct stat status;
    if (::fstat(descriptor, &status) == 0 && S_ISBLK(status.st_mode) && ::ioctl(descriptor, BLKSSZGET, &size) == 0 &&
        size > 0) {
        return size;
    }
#endif
    (void)descriptor;
    (void)size;
    return 512;
}

}  // namespace

std::int64_t File::readSalvaging(void* buffer, std::size_t count, std::vector<Span>& unreadable) {
    const std::int64_t start = position();
    const std::int64_t got = read(buffer, count);
    if (got >= 0 || readError != ReadError::unreadable || start < 0) return got;
    // The size as the device gives it, a block device's as well as a file's.
    const off_t end = ::lseek(descriptor, 0, SEEK_END);
    if (end < 0) {
        readError = readErrorOf(errno);
        return -1;
    }
    const std::int64_t limit = std::min<std::int64_t>(end, start + static_cast<std::int64_t>(count));
    Salvage salvage(descriptor, static_cast<char*>(buffer), start, static_cast<std::int64_t>(count),
                    sectorSize(descriptor), faults.get());
    if (!salvage.narrow(start, std::max(start, limit), true)) {
        readError = readErrorOf(errno);
        return -1;
    }
    if (::lseek(descriptor, std::max(start, limit), SEEK_SET) < 0) {
        readError = readErrorOf(errno);
        return -1;
    }
    std::sort(salvage.holes.begin(), salvage.holes.end(),
              [](const Span& a, const Span& b) { return a.offset < b.offset; });
    for (const Span& span : salvage.holes) {
        if (!unreadable.empty() && unreadable.back().offset + unreadable.back().length >= span.offset) {
            Span& last = unreadable.back();
            last.length = std::max(last.offset + last.length, span.offset + span.length) - last.offset;
        } else {
            unreadable.push_back(span);
        }
    }
    readError = ReadError::none;
    return std::max<std::int64_t>(0, limit - start);
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

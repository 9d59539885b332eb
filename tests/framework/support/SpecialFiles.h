#pragma once

// Entries of the kinds that are no regular file, made for a test: a named pipe with no writer, a
// listening UNIX socket, and a loop device over an image file (only where the test runs as root
// and losetup is installed).

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace specialfiles {

inline bool makePipe(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

// A bound socket at the path; closed with its descriptor. -1 when it cannot be made.
inline int makeSocket(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A loop device over an image file, detached at the end. device() is empty, with why() saying
// why, where none could be had.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& image) {
        if (::geteuid() != 0) {
            reason = "a loop device needs root";
            return;
        }
        if (::access("/usr/sbin/losetup", X_OK) != 0 && ::access("/sbin/losetup", X_OK) != 0) {
            reason = "losetup is not installed";
            return;
        }
        const std::string command = "losetup --find --show '" + image + "' 2>/dev/null";
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            char line[256] = {};
            if (std::fgets(line, sizeof line, pipe) != nullptr) {
                path = line;
                while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
            }
            ::pclose(pipe);
        }
        struct stat info {};
        if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) {
            path.clear();
            reason = "losetup could not attach a loop device here";
        }
    }
    ~LoopDevice() {
        if (!path.empty()) {
            const std::string command = "losetup --detach '" + path + "' 2>/dev/null";
            if (std::system(command.c_str()) != 0) {
                // Detached later by the system when the image goes.
            }
        }
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& device() const { return path; }
    const std::string& why() const { return reason; }

private:
    std::string path;
    std::string reason;
};

}  // namespace specialfiles

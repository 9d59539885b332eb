// Linux implementation of platform/os/Program.h.
#include "platform/os/Program.h"

#include <cerrno>
#include <ctime>
#include <vector>

#include <unistd.h>

namespace os {

std::string executablePath() {
    // readlink neither terminates nor says whether it truncated: grow until the text fits with
    // room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<std::size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

void sleep(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace os

#include "plugins/common/Filesource.h"

#include <limits>

FileSource::FileSource(const char* path) : stream(path, std::ios::binary)
{
}

bool FileSource::isOpen() const
{
    return stream.is_open();
}

std::size_t FileSource::readAt(std::uint64_t position, unsigned char* target, std::size_t count)
{
    if (!stream.is_open() ||
        position > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) {
        return 0;
    }
    // A short read at the end of the file leaves the stream failed; the next read starts afresh.
    stream.clear();
    stream.seekg(static_cast<std::streamoff>(position));
    if (!stream) {
        return 0;
    }
    stream.read(reinterpret_cast<char*>(target), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(stream.gcount());
}

#include "plugins/common/Filesource.h"

#include <cstddef>
#include <limits>

namespace {

bool hostCanCancel(const ExtractHost* host)
{
    return host != nullptr &&
           host->size >= offsetof(ExtractHost, isCancelled) + sizeof host->isCancelled &&
           host->isCancelled != nullptr;
}

bool hostReadsInput(const ExtractHost* host)
{
    return host != nullptr && host->size >= offsetof(ExtractHost, readInput) + sizeof host->readInput &&
           host->getInputSize != nullptr && host->readInput != nullptr;
}

}

FileSource::FileSource(const char* path, const ExtractHost* host) : host(host)
{
    if (hostReadsInput(host)) {
        hosted = true;
        length = host->getInputSize(host->context);
        return;
    }
    file = std::fopen(path, "rb");
    if (file == nullptr) {
        return;
    }
    // Seeking to the end gives the length of a block device as well as of a file; long is 64
    // bits wide on the platforms the plug-ins are built for.
    static_assert(sizeof(long) >= 8, "file offsets need a 64-bit long");
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long end = std::ftell(file);
        length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
}

FileSource::~FileSource()
{
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool FileSource::isOpen() const
{
    return hosted || file != nullptr;
}

std::size_t FileSource::readAt(std::uint64_t position, unsigned char* target, std::size_t count)
{
    if (!isOpen() || cancelled || position >= length) {
        return 0;
    }
    if (hostCanCancel(host) && host->isCancelled(host->context) != 0) {
        cancelled = true;
        return 0;
    }
    if (hosted) {
        std::size_t done = 0;
        while (done < count) {
            const std::size_t left = count - done;
            const auto piece = static_cast<std::uint32_t>(left < 0x40000000u ? left : 0x40000000u);
            const std::int64_t got = host->readInput(host->context, position + done, target + done, piece);
            if (got < 0) {
                readError = true;
                break;
            }
            done += static_cast<std::size_t>(got);
            if (static_cast<std::uint32_t>(got) < piece) {
                break;
            }
        }
        return done;
    }
    if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) {
        readError = true;
        return 0;
    }
    std::size_t got = std::fread(target, 1, count, file);
    if (got < count && std::ferror(file) != 0) {
        readError = true;
        std::clearerr(file);
    }
    return got;
}

std::uint64_t FileSource::size() const
{
    return length;
}

bool FileSource::hadReadError() const
{
    return readError;
}

bool FileSource::wasCancelled() const
{
    return cancelled;
}

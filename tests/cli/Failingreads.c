/*
 * Preloaded into glintfetch-cli by its tests (LD_PRELOAD): read and pread of one file fail in
 * chosen stretches, as they do on a worn card or disk, so that the program can be tried as a user
 * runs it over a failing device.
 *
 *   GLINTFETCH_FAILING_FILE    the file whose reads fail
 *   GLINTFETCH_FAILING_RANGES  offset:length[,offset:length...] in bytes
 *   GLINTFETCH_FAILING_ERRNO   EIO (the default), ENODEV or ENXIO
 *
 * A read that touches a stretch fails as a whole; every other read goes to the system.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

typedef ssize_t (*ReadFunction)(int, void*, size_t);
typedef ssize_t (*PreadFunction)(int, void*, size_t, off_t);

enum { maxRanges = 4096 };

static int loaded;
static int active;
static dev_t failingDevice;
static ino_t failingInode;
static int failingErrno = EIO;
static int rangeCount;
static int64_t rangeOffset[maxRanges];
static int64_t rangeLength[maxRanges];

static void load(void)
{
    if (loaded) {
        return;
    }
    loaded = 1;
    const char* path = getenv("GLINTFETCH_FAILING_FILE");
    const char* ranges = getenv("GLINTFETCH_FAILING_RANGES");
    const char* error = getenv("GLINTFETCH_FAILING_ERRNO");
    struct stat status;
    if (path == NULL || ranges == NULL || stat(path, &status) != 0) {
        return;
    }
    failingDevice = status.st_dev;
    failingInode = status.st_ino;
    if (error != NULL && strcmp(error, "ENODEV") == 0) {
        failingErrno = ENODEV;
    } else if (error != NULL && strcmp(error, "ENXIO") == 0) {
        failingErrno = ENXIO;
    }
    const char* at = ranges;
    while (*at != '\0' && rangeCount < maxRanges) {
        char* end = NULL;
        const long long offset = strtoll(at, &end, 10);
        if (end == at || *end != ':') {
            break;
        }
        at = end + 1;
        const long long length = strtoll(at, &end, 10);
        if (end == at) {
            break;
        }
        rangeOffset[rangeCount] = offset;
        rangeLength[rangeCount] = length;
        ++rangeCount;
        at = *end == ',' ? end + 1 : end;
    }
    active = rangeCount > 0;
}

static int fails(int descriptor, int64_t offset, size_t count)
{
    load();
    if (!active || count == 0) {
        return 0;
    }
    struct stat status;
    if (fstat(descriptor, &status) != 0 || status.st_dev != failingDevice || status.st_ino != failingInode) {
        return 0;
    }
    const int64_t end = offset + (int64_t)count;
    for (int i = 0; i < rangeCount; ++i) {
        if (rangeOffset[i] < end && offset < rangeOffset[i] + rangeLength[i]) {
            return 1;
        }
    }
    return 0;
}

ssize_t read(int descriptor, void* buffer, size_t count)
{
    static ReadFunction system;
    if (system == NULL) {
        system = (ReadFunction)dlsym(RTLD_NEXT, "read");
    }
    if (fails(descriptor, (int64_t)lseek(descriptor, 0, SEEK_CUR), count)) {
        errno = failingErrno;
        return -1;
    }
    return system(descriptor, buffer, count);
}

static ssize_t preadThrough(const char* name, int descriptor, void* buffer, size_t count, off_t offset)
{
    PreadFunction system = (PreadFunction)dlsym(RTLD_NEXT, name);
    if (fails(descriptor, (int64_t)offset, count)) {
        errno = failingErrno;
        return -1;
    }
    return system(descriptor, buffer, count, offset);
}

ssize_t pread(int descriptor, void* buffer, size_t count, off_t offset)
{
    return preadThrough("pread", descriptor, buffer, count, offset);
}

ssize_t pread64(int descriptor, void* buffer, size_t count, off_t offset)
{
    return preadThrough("pread64", descriptor, buffer, count, offset);
}

#include "controls/Itemidlistex.h"

#include "platform/classlib/core/Sysutils.h"
#include "platform/shell/ShellAllocator.h"
#include "platform/shell/ShellNamespace.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// Counts may stand at odd addresses: read them byte by byte.
unsigned countAt(const unsigned char* at) {
    std::uint16_t count = 0;
    std::memcpy(&count, at, sizeof count);
    return count;
}

}  // namespace

int getItemIDListSize(const ItemIdList* list) {
    if (list == nullptr) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(list);
    int size = 0;
    for (unsigned count = countAt(bytes); count != 0; count = countAt(bytes + size)) {
        size += static_cast<int>(count);
    }
    return size;
}

ItemIdList* concatItemIDList(const ItemIdList* first, const ItemIdList* second) {
    const auto firstSize = static_cast<std::size_t>(getItemIDListSize(first));
    const auto secondSize = static_cast<std::size_t>(getItemIDListSize(second));
    auto* joined = static_cast<unsigned char*>(ShellNamespace::getAllocator().alloc(firstSize + secondSize + 2));
    if (joined == nullptr) {
        throw EOleSysError(ShellNamespace::getErrorMessage(-ENOMEM), -ENOMEM);
    }
    if (firstSize > 0) {
        std::memcpy(joined, first, firstSize);
    }
    if (secondSize > 0) {
        std::memcpy(joined + firstSize, second, secondSize);
    }
    joined[firstSize + secondSize] = 0;
    joined[firstSize + secondSize + 1] = 0;
    return reinterpret_cast<ItemIdList*>(joined);
}

void freeItemIDList(ItemIdList* list) {
    ShellNamespace::getAllocator().free(list);
}

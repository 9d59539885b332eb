#include "platform/shell/ShellItemId.h"

#include "platform/shell/ShellAllocator.h"
#include "platform/shell/ShellNamespace.h"

#include <QString>

#include <cstring>

namespace {

constexpr std::size_t headerSize = 4;  // count, kind, flags
constexpr unsigned char folderFlag = 0x1;

unsigned readCount(const unsigned char* at) {
    return static_cast<unsigned>(at[0]) | (static_cast<unsigned>(at[1]) << 8);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

bool ShellItemId::decode(const ItemIdList* list, std::vector<ShellItemId>& items) {
    items.clear();
    if (list == nullptr) {
        return false;
    }
    const auto* at = reinterpret_cast<const unsigned char*>(list);
    for (unsigned count = readCount(at); count != 0; at += count, count = readCount(at)) {
        if (count < headerSize) {
            return false;
        }
        ShellItemId item;
        const unsigned char kind = at[2];
        if (kind < Home || kind > Entry) {
            return false;
        }
        item.kind = static_cast<Kind>(kind);
        item.folder = (at[3] & folderFlag) != 0;
        item.name.assign(reinterpret_cast<const char*>(at + headerSize), count - headerSize);
        const bool place = item.kind != Entry;
        // A place is always the first item and carries no name; an entry always has one.
        if (place != item.name.empty() || (place && !items.empty()) ||
            item.name.find_first_of(std::string("/\0", 2)) != std::string::npos) {
            return false;
        }
        items.push_back(std::move(item));
    }
    return true;
}

std::string ShellItemId::encode(const std::vector<ShellItemId>& items) {
    std::string bytes;
    for (const ShellItemId& item : items) {
        const std::size_t count = headerSize + item.name.size();
        bytes.push_back(static_cast<char>(count & 0xFF));
        bytes.push_back(static_cast<char>((count >> 8) & 0xFF));
        bytes.push_back(static_cast<char>(item.kind));
        bytes.push_back(static_cast<char>(item.folder ? folderFlag : 0));
        bytes += item.name;
    }
    return bytes;
}

ItemIdList* ShellItemId::allocate(const std::string& bytes) {
    auto* block = static_cast<unsigned char*>(ShellNamespace::getAllocator().alloc(bytes.size() + 2));
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(block, bytes.data(), bytes.size());
    block[bytes.size()] = 0;
    block[bytes.size() + 1] = 0;
    return reinterpret_cast<ItemIdList*>(block);
}

int ShellItemId::compare(const ShellItemId& first, const ShellItemId& second) {
    if (first.kind != second.kind) {
        return first.kind < second.kind ? -1 : 1;
    }
    if (first.name == second.name) {
        return 0;
    }
    if (first.folder != second.folder) {
        return first.folder ? -1 : 1;
    }
    const QString firstName = QString::fromUtf8(first.name.data(), static_cast<qsizetype>(first.name.size()));
    const QString secondName =
        QString::fromUtf8(second.name.data(), static_cast<qsizetype>(second.name.size()));
    const int folded = firstName.compare(secondName, Qt::CaseInsensitive);
    if (folded != 0) {
        return sign(folded);
    }
    // Names that differ only in letter case are still two items.
    return sign(first.name.compare(second.name));
}

int ShellItemId::compare(const std::vector<ShellItemId>& first, const std::vector<ShellItemId>& second) {
    const std::size_t common = std::min(first.size(), second.size());
    for (std::size_t index = 0; index < common; ++index) {
        const int order = compare(first[index], second[index]);
        if (order != 0) {
            return order;
        }
    }
    if (first.size() == second.size()) {
        return 0;
    }
    return first.size() < second.size() ? -1 : 1;
}

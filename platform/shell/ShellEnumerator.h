#pragma once

#include "platform/shell/ShellTypes.h"

#include <cstddef>
#include <string>
#include <vector>

class ShellFolder;

// The children of one folder, read when ShellFolder::enumObjects made the enumerator, handed out
// one at a time as lists relative to that folder.
class ShellEnumerator {
public:
    ShellEnumerator(const ShellEnumerator&) = delete;
    ShellEnumerator& operator=(const ShellEnumerator&) = delete;
    ~ShellEnumerator();

    // ShellOk with the next child in *item, a list from ShellAllocator that the caller frees;
    // ShellFalse with nullptr after the last; -ENOMEM when no list could be allocated.
    ShellResult next(ItemIdList** item);

private:
    friend class ShellFolder;
    explicit ShellEnumerator(std::vector<std::string> children);

    std::vector<std::string> children;
    std::size_t position = 0;
};

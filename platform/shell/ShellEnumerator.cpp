#include "platform/shell/ShellEnumerator.h"

#include "platform/shell/ShellItemId.h"

#include <cerrno>
#include <utility>

ShellEnumerator::ShellEnumerator(std::vector<std::string> children) : children(std::move(children)) {}

ShellEnumerator::~ShellEnumerator() = default;

ShellResult ShellEnumerator::next(ItemIdList** item) {
    *item = nullptr;
    if (position >= children.size()) {
        return ShellFalse;
    }
    *item = ShellItemId::allocate(children[position]);
    if (*item == nullptr) {
        return -ENOMEM;
    }
    ++position;
    return ShellOk;
}

#pragma once

#include "platform/shell/ShellItemId.h"
#include "platform/shell/ShellTypes.h"

#include <memory>
#include <string>
#include <vector>

class ShellEnumerator;

// A folder of the namespace: the desktop (from ShellNamespace::getDesktopFolder) or a folder bound
// below it. Lists handed to it are relative to it; for the desktop that makes them absolute. It
// holds no open handle; every call asks the file system afresh.
class ShellFolder {
public:
    ShellFolder(const ShellFolder&) = delete;
    ShellFolder& operator=(const ShellFolder&) = delete;
    ~ShellFolder();

    // The list of an existing item named by a path: for the desktop an absolute path ("/" and
    // below), for any other folder a path relative to it. "." and empty parts are passed over;
    // ".." is refused (-EINVAL), since the item it names depends on symbolic links. On success
    // *list is a list from ShellAllocator that the caller frees; on failure it is nullptr.
    ShellResult parseDisplayName(const std::string& displayName, ItemIdList** list) const;
    // The folder named by a relative list; -ENOTDIR when it names something else.
    ShellResult bindToObject(const ItemIdList* relative, std::unique_ptr<ShellFolder>& folder) const;
    // Reads the folder's children now; the enumerator hands them out in compareIds order.
    ShellResult enumObjects(unsigned flags, std::unique_ptr<ShellEnumerator>& enumerator) const;
    // Negative when first comes before second, 0 for the same item, positive otherwise; the
    // value always fits a signed 16-bit number. A list that is not one of ours comes last.
    int compareIds(const ItemIdList* first, const ItemIdList* second) const;

private:
    friend class ShellNamespace;
    explicit ShellFolder(std::vector<ShellItemId> absolute);

    std::vector<ShellItemId> absolute;
};

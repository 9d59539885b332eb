#pragma once

class TImageList;

// The small icons of every item of the namespace, at the indices of ShellIcon
// (ShellNamespace::getFileInfo gives them).
class ShellImageList {
public:
    ShellImageList() = delete;

    // Made on first use and kept until the process ends, since views may still point to it while
    // they are torn down; no caller destroys it.
    static TImageList* get();
};

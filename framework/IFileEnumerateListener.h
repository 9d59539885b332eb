#pragma once

class IResource;

// Hears of each entry of a directory walk. The entry lives only during the call: copy what you
// keep.
class IFileEnumerateListener {
public:
    virtual void onEnumerate(IResource* entry) = 0;

protected:
    ~IFileEnumerateListener() = default;
};

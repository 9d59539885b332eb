#pragma once

#include <string>

class IFileEnumerateListener;

// A directory walk, optionally recursive, depth-first and pre-order, that reports every entry
// below a folder (never "." and "..") to its listeners in registration order. Given a file, it
// walks the file's whole folder.
class IFileEnumerator {
public:
    virtual void setPath(std::string path) = 0;
    // Not owned; duplicates are called twice; never removed.
    virtual void addListener(IFileEnumerateListener* listener) = 0;
    virtual bool isRecursive() = 0;
    // Asked anew for every entry, so a listener can stop descent midway.
    virtual void setRecursive(bool recursive) = 0;
    // IOException when the path names nothing. A listener's exception ends the walk and passes on.
    virtual void enumerate() = 0;

protected:
    ~IFileEnumerator() = default;
};

#pragma once

#include "framework/IFileEnumerator.h"

#include <string>
#include <vector>

// A directory walk that reports every entry to its listeners. Each entry is looked up afresh and
// lives in a factory of its own only while its listeners (and, in a recursive walk, the walk
// below it) run, so memory stays flat however large the tree.
class FileEnumerator : public IFileEnumerator {
public:
    FileEnumerator();

    void setPath(std::string path) override;
    void addListener(IFileEnumerateListener* listener) override;
    bool isRecursive() override;
    void setRecursive(bool recursive) override;
    void enumerate() override;

    virtual ~FileEnumerator();

protected:
    // A folder that cannot be read is skipped without a word.
    virtual void enumerateDirectory(std::string folder);

private:
    std::string path;
    std::vector<IFileEnumerateListener*> listeners;  // not owned
    bool recursive = false;
};

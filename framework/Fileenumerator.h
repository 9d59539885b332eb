#pragma once

#include "framework/IFileEnumerator.h"
#include "platform/os/DirectorySearch.h"

#include <set>
#include <string>
#include <vector>

// A directory walk that reports every entry to its listeners. Each entry is looked up afresh and
// lives in a factory of its own only while its listeners (and, in a recursive walk, the walk
// below it) run, so memory stays flat however deep the tree.
//
// Entries come in the byte order of their paths below the walked folder, whatever order the file
// system keeps them in, so that every machine sees one order (a folder's contents directly after
// the folder). A walk enters each folder once: a link to a folder it has already entered, or is
// inside, is reported but not followed, so links that loop cost nothing.
class FileEnumerator : public IFileEnumerator {
public:
    FileEnumerator();

    void setPath(std::string path) override;
    void addListener(IFileEnumerateListener* listener) override;
    bool isRecursive() override;
    void setRecursive(bool recursive) override;
    // A path without a folder ("notes.txt") walks the current folder.
    void enumerate() override;

    virtual ~FileEnumerator();

protected:
    // A folder that cannot be read is skipped without a word. The empty text is the current
    // folder; its entries are reported by their bare names.
    virtual void enumerateDirectory(std::string folder);

private:
    std::string path;
    std::vector<IFileEnumerateListener*> listeners;  // not owned
    bool recursive = false;
    // The folders entered by the walk under way.
    std::set<os::DirectorySearch::Identity> entered;
};

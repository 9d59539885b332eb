#pragma once

#include <cstdint>
#include <string>

// Looking up and changing entries of the file system. Every call answers success or failure only;
// the reason is not kept.
namespace os {

struct FileAttributes {
    bool directory = false;
    std::uint64_t size = 0;
};

// Follows symbolic links: a link to a folder is a folder, a dangling link names nothing.
bool getFileAttributes(const std::string& path, FileAttributes& attributes);
// Does not make missing parents; fails when the path exists.
bool createDirectory(const std::string& path);
// A new empty file; fails when anything exists at the path.
bool createNewFile(const std::string& path);
// Files only, never folders.
bool deleteFile(const std::string& path);
// Empty folders only.
bool removeDirectory(const std::string& path);
// Whether this process may write what the path names now (for a folder: make and remove entries in
// it), by its own user and groups; false on a file system mounted read-only.
bool isWritable(const std::string& path);

}  // namespace os

#pragma once

#include <cstdint>
#include <string>

// Looking up and changing entries of the file system. Every call answers success or failure only;
// the reason is not kept.
namespace os {

enum class EntryKind { regular, directory, blockDevice, characterDevice, pipe, socket, other };

struct FileAttributes {
    bool directory = false;
    EntryKind kind = EntryKind::regular;
    // For a block device, the device's size (0 when it cannot be opened); for a folder or a
    // stream, whatever the system reports.
    std::uint64_t size = 0;
    // The device and the file's number on it: together they tell one file from another that took
    // its name meanwhile.
    std::uint64_t device = 0;
    std::uint64_t node = 0;
};

// Follows symbolic links: a link to a folder is a folder, a dangling link names nothing.
bool getFileAttributes(const std::string& path, FileAttributes& attributes);
// The number of bytes that reading what the path names from its start can give: what the
// device says of itself for a block device, else the offset of the end. false when it cannot be
// opened or has no end (a pipe, a terminal).
bool measureContent(const std::string& path, std::uint64_t& size);
// Does not make missing parents; fails when the path exists.
bool createDirectory(const std::string& path);
// A new empty file; fails when anything exists at the path. Atomic: of any number of processes
// making the same path at once, exactly one succeeds.
bool createNewFile(const std::string& path);
// The same, with created describing the file made (from the new file itself, not from a look-up
// of the path, which may name another file by then).
bool createNewFile(const std::string& path, FileAttributes& created);
// Gives the file at from the name to, only where nothing is at to: a file made at to meanwhile is
// never replaced. The file stays the same file (its device and number).
bool moveNoReplace(const std::string& from, const std::string& to);
// Files only, never folders.
bool deleteFile(const std::string& path);
// Gives the file at from the name to, in one step, replacing a file there; both in one file system.
bool renameFile(const std::string& from, const std::string& to);
// Empty folders only.
bool removeDirectory(const std::string& path);
// The file's time of last modification, in seconds since 1970-01-01 UTC.
bool setModificationTime(const std::string& path, std::int64_t seconds);
// Whether this process may write what the path names now (for a folder: make and remove entries in
// it), by its own user and groups; false on a file system mounted read-only.
bool isWritable(const std::string& path);

}  // namespace os

#pragma once

#include <cstdint>
#include <string>

// What a path names. A file is anything with bytes at offsets (a regular file or a block device);
// a stream yields its bytes once, as they come, and has no offsets to read at.
enum class ResourceKind { none, file, directory, blockDevice, characterDevice, pipe, socket, other };

// A snapshot of what a path names in the file system: read when the path is set (and after a
// successful createFile), answered from memory otherwise. Nothing here throws; failures come
// back as false or as an entry that does not exist.
class IResource {
public:
    virtual std::string getPath() = 0;
    // Drops one trailing "/" (not the only character of "/"), stores the path and looks it up.
    virtual void setPath(std::string path) = 0;
    // The text after the last "/", and the text before it.
    virtual std::string getName() = 0;
    virtual std::string getParent() = 0;
    virtual bool isDirectory() = 0;
    virtual ResourceKind getKind() = 0;
    // Anything found that is not a directory counts as a file.
    virtual bool isFile() = 0;
    virtual bool exists() = 0;
    // For a block device, the size of the device.
    virtual std::uint32_t getSizeLow() = 0;
    virtual void getSize(std::uint32_t* high, std::uint32_t* low) = 0;
    // The device and the file's number on it, as last read (0 and 0 for an entry never found):
    // the same two for two look-ups of a path mean the same file, not merely the same name.
    virtual std::uint64_t getDeviceId() = 0;
    virtual std::uint64_t getFileId() = 0;
    // Makes the folder (not its missing parents); the entry is not read again.
    virtual bool createDirectory() = 0;
    // Makes a new empty file where the entry found nothing; fails when the path exists, even when
    // it was made by someone else after the look-up (of any number making it at once, one wins).
    // On success the entry describes the file made, read from the file itself.
    virtual bool createFile() = 0;
    // Gives the file the name path, only where nothing is at path (a file made there meanwhile is
    // never replaced); on success the entry names the same file at its new path.
    virtual bool moveTo(std::string path) = 0;
    // Whether the process may write the file, or make files in the folder, as the system answers
    // at this call (not from the snapshot).
    virtual bool isWritable() = 0;
    // Deletes the file, or the folder when it is empty, as last read; the entry is not read again.
    virtual bool remove() = 0;
    // Gives the file, as last read, the name path in one step, replacing a file there (same file
    // system only); the entry is not read again.
    virtual bool renameTo(const std::string& path) = 0;
    // The file's time of last modification, in seconds since 1970-01-01 UTC.
    virtual bool setModificationTime(std::int64_t seconds) = 0;

protected:
    ~IResource() = default;
};

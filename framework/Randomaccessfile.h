#pragma once

#include "framework/IRandomAccessFile.h"
#include "platform/os/File.h"

#include <cstdint>
#include <string>

// An existing file opened for reading. IRandomAccessFile is a virtual base because the writable
// subclass reaches it again through IWritableRandomAccessFile.
class RandomAccessFile : public virtual IRandomAccessFile {
public:
    RandomAccessFile();
    virtual ~RandomAccessFile();
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    void setFile(IResource* file) override;
    std::int32_t read(IMemory* block) override;
    void seek(std::int32_t offset) override;
    void seek(std::int32_t high, std::uint32_t low) override;
    void seekFromCurrent(std::int32_t offset) override;
    void copyTo(IWritableRandomAccessFile* target, std::uint32_t count) override;
    std::int32_t readSalvaging(IMemory* block, std::vector<ByteRange>& unreadable) override;

protected:
    // IOException "ファイルが指定されていません。" with the caller's origin while no file is open.
    void checkOpen(const std::string& origin);
    // The new file is opened before the old one is closed, so a failure keeps the old one in use.
    void openFile(IResource* file, os::File::Access access, const std::string& origin);

    os::File stream;

private:
    // The IOException of a failed read: a device that went away is told apart.
    [[noreturn]] void readFailed();
    void seekTo(std::int64_t offset, os::File::Origin origin, const std::string& operation);
};

#pragma once

#include "framework/IWritableRandomAccessFile.h"
#include "framework/Randomaccessfile.h"

#include <cstdint>

// An existing file opened for reading and writing, held by no one else while open.
class WritableRandomAccessFile : public RandomAccessFile, public IWritableRandomAccessFile {
public:
    WritableRandomAccessFile();
    ~WritableRandomAccessFile() override;

    // Opening the file this object already has open fails: its own lock is in the way.
    void setFile(IResource* file) override;
    void write(IMemory* block) override;
    // IOException "書き込みできません。" when the system refuses the write (a full disk, say).
    void write(IMemory* block, std::uint32_t size) override;
};

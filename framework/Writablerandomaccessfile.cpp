#include "framework/Writablerandomaccessfile.h"

#include "framework/Exception.h"
#include "framework/IMemory.h"

WritableRandomAccessFile::WritableRandomAccessFile() = default;

WritableRandomAccessFile::~WritableRandomAccessFile() = default;

void WritableRandomAccessFile::setFile(IResource* file) {
    openFile(file, os::File::Access::readWrite, "WritableRandomAccessFile::setFile");
}

void WritableRandomAccessFile::write(IMemory* block) { write(block, block->getSize()); }

void WritableRandomAccessFile::write(IMemory* block, std::uint32_t size) {
    if (size > block->getSize()) size = block->getSize();
    checkOpen("RandomAccessFile::write");
    if (size == 0) return;
    if (stream.write(block->getPointer(), size) < 0) throw IOException("書き込みできません。", "RandomAccessFile::write");
}

#pragma once

#include "engine/ExtractPlugin.h"
#include "plugins/common/IByteSource.h"

#include <cstdio>

// An input file (or a block device) opened by path for reading. A read error is remembered apart
// from the end of the input, so that a bad sector is reported rather than taken for "nothing
// here". With a host, every read first asks whether the run was cancelled, and a cancelled
// source reads nothing more.
class FileSource final : public IByteSource {
public:
    FileSource(const char* path, const ExtractHost* host = nullptr);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool isOpen() const;
    std::size_t readAt(std::uint64_t position, unsigned char* target, std::size_t count) override;
    std::uint64_t size() const override;

    bool hadReadError() const;
    bool wasCancelled() const;

private:
    std::FILE* file = nullptr;
    std::uint64_t length = 0;
    const ExtractHost* host;
    bool readError = false;
    bool cancelled = false;
};

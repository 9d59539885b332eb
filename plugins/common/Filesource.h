#pragma once

#include "engine/ExtractPlugin.h"
#include "plugins/common/IByteSource.h"

#include <cstdio>

// An input file (or a block device) opened by path for reading, or, when the program offers it,
// read through the program (ExtractHost::readInput), which holds most of what a candidate needs
// in memory already: a candidate rejected after a few reads then costs no open and no system
// call. A read error is remembered apart from the end of the input, so that a bad sector is
// reported rather than taken for "nothing here". With a host, every read first asks whether the
// run was cancelled, and a cancelled source reads nothing more.
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
    // Reads go through the host instead of file.
    bool hosted = false;
    std::uint64_t length = 0;
    const ExtractHost* host;
    bool readError = false;
    bool cancelled = false;
};

#pragma once

#include "engine/IDiskContents.h"

#include <memory>
#include <string>

// The partition tables and file systems of one input, read through The Sleuth Kit (DOS and GPT
// tables; FAT, exFAT, NTFS, ext2/3/4, HFS+, ISO 9660 and what else the library knows). Nothing
// outside this class's source sees the library. The input is opened for reading only.
//
// An input with neither a partition table nor a file system has no volumes; a partition whose
// file system cannot be read is a volume that is not readable. Only an input that cannot be
// opened at all raises IOException. Used on one thread at a time.
class DiskContents : public IDiskContents {
public:
    explicit DiskContents(const std::string& path);
    ~DiskContents() override;
    DiskContents(const DiskContents&) = delete;
    DiskContents& operator=(const DiskContents&) = delete;

    const std::vector<Volume>& volumes() const override;
    const std::vector<File>& files() const override;
    std::vector<Run> unallocated(std::uint32_t volume) override;
    std::uint64_t read(std::size_t file, std::uint64_t offset, unsigned char* target,
                       std::uint64_t count) override;

private:
    class Library;
    std::unique_ptr<Library> library;
};

#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>
#include <vector>

// Archives and compressed files of the archive plug-ins' kinds, made afresh at test time: by the
// real tools (zip, gzip, bzip2, xz, 7z, tar) and by Python's zipfile for the ZIP-based document
// and package layouts, each over content files written here from a seed. RAR, which no tool in
// Debian's main archive writes, is built here block by block from the published format
// descriptions (RAR 4's technote, RAR 5's archive format page), with stored entries.
class ArchiveSamples {
public:
    explicit ArchiveSamples(std::uint32_t seed);

    // The content files' names, in the folder every tool runs in.
    const std::vector<std::string>& names() const;
    // Runs command (a shell line) in the content folder and returns the file it wrote there.
    Bytes make(const std::string& command, const std::string& output) const;
    // Writes a further content file.
    void addFile(const std::string& name, const Bytes& content);

    Bytes zip(const std::string& options = "") const;
    // Written to a pipe, so every entry's sizes follow its data in a data descriptor.
    Bytes streamedZip() const;
    // ZIP64 extended information in every header and the ZIP64 end records.
    Bytes zip64() const;
    // Python's zipfile with force_zip64: ZIP64 fields in the local headers only.
    Bytes pythonZip64() const;
    Bytes gzip(const std::string& options = "") const;
    Bytes bzip2() const;
    Bytes xz(const std::string& options = "") const;
    Bytes sevenZip(const std::string& options = "") const;
    Bytes tar(const std::string& format) const;
    // kind: docx, xlsx, pptx, odt, ods, odp, epub, jar or apk, in the layout its writers use.
    Bytes document(const std::string& kind) const;
    // An Android package with a signing block (APK signature scheme v2) before its central
    // directory, as apksigner places it; the block's one pair holds random bytes, not a signature.
    Bytes signedApk() const;
    Bytes rar4() const;
    Bytes rar5() const;

private:
    TemporaryFolder folder;
    std::vector<std::string> files;
    std::uint32_t seed;
};

#pragma once

#include "engine/IDiskContents.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class IMemory;
class IResource;
class IWritableRandomAccessFile;
class VolumePlan;

// Copies out every file that the chosen volumes' file systems describe, byte for byte as the file
// system gives it, under its own name and folders and with its time of last change:
// FOLDER/<volume>/<its folders>/<name>, a deleted file under FOLDER/<volume>/削除済み/<its
// folders>/<name>. A deleted file whose bytes are taken by another file or lost to the file
// system is not written: it is told with the reason. A name that is taken already (an earlier
// run) gets a number, so nothing is ever written over.
//
// Afterwards it tells the carving which of its finds are copies of what it wrote (the same bytes
// at the same place), and gives a find that starts where a deleted file that could not be written
// started, with that file's size, that file's name.
class MetadataWriter {
public:
    struct Outcome {
        const IDiskContents::File* file = nullptr;
        std::string volume;
        // The file's path on its volume, "/"-separated.
        std::string originalPath;
        // "" when it was not written; reason then says why.
        std::string outputPath;
        std::string reason;
    };

    struct Listener {
        std::function<void(const Outcome&)> told;
        std::function<bool()> cancelled;
    };

    enum class Carved { kept, duplicate, named };

    // All three belong to the run's factory.
    MetadataWriter(IResource* entry, IWritableRandomAccessFile* file, IMemory* block);
    MetadataWriter(const MetadataWriter&) = delete;
    MetadataWriter& operator=(const MetadataWriter&) = delete;

    // folder must exist; the volumes' folders are made in it as they are needed.
    void write(const VolumePlan& plan, const std::string& folder, const Listener& listener);
    // Forgets the input's files.
    void clear();

    // A carving find of size bytes at position, written to outputName. duplicate: the same bytes
    // were written by name already, and the find can go. named: outputName has been moved to
    // the name of the deleted file it matched, and named says which.
    Carved takeCarved(std::uint64_t position, std::uint64_t size, std::string& outputName, Outcome& named);

    static std::string deletedFolder() { return "削除済み"; }

private:
    struct Entry {
        const IDiskContents::File* file;
        std::string volume;
        std::string originalPath;
        std::string folder;
        bool written;
        bool single;
    };

    bool writeFile(IDiskContents& disk, std::size_t index, const std::string& path, std::string& reason);
    bool ensureFolder(const std::string& path, std::string& reason);
    std::string freeName(const std::string& folder, const std::string& name);

    IResource* entry;
    IWritableRandomAccessFile* file;
    IMemory* block;
    // By the offset of each file's first byte.
    std::multimap<std::uint64_t, Entry> starts;
};

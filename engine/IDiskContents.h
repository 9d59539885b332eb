#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the partition table and the file systems on one input describe: its volumes, every file
// they still name (live or deleted) with where its bytes lie, and the space no file holds. Made
// once per input by reading its metadata; the input is only ever read. Offsets and lengths are
// bytes from the start of the input.
class IDiskContents {
public:
    struct Run {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    struct Volume {
        // Short and fit for a folder name, unique on the input ("ボリューム1").
        std::string name;
        // "FAT32", "NTFS", "ext4", ... or what the partition table calls it.
        std::string type;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        std::string label;
        // False when no file system could be read there; problem says why, in Japanese.
        bool readable = false;
        std::string problem;
    };

    // How far a file's bytes can be trusted to be its own.
    enum class Contents {
        // The metadata says where every byte lies, and nothing else holds those places now.
        intact,
        // Deleted: the places were inferred (a FAT file's chain is gone; the free clusters from
        // its first one on are taken), so a file that was fragmented comes out wrong.
        guessed,
        // Deleted, and some of its places belong to another file now (or to a later deleted one).
        reused,
        // Deleted, and the metadata no longer says where its bytes were.
        unknown,
    };

    struct File {
        std::uint32_t volume = 0;
        // Its folder inside the volume, "/"-separated, without a leading "/"; "" for the root.
        std::string folder;
        std::string name;
        bool deleted = false;
        // Seconds since 1970-01-01 UTC; 0 when not known.
        std::int64_t modified = 0;
        std::uint64_t size = 0;
        // Where its bytes lie, in file order, covering exactly size bytes; empty when the file
        // system keeps the bytes inside its metadata (a small NTFS file) or knows no place.
        std::vector<Run> runs;
        Contents contents = Contents::intact;
    };

    virtual ~IDiskContents() = default;

    virtual const std::vector<Volume>& volumes() const = 0;
    // Regular files only, folders and the file systems' own bookkeeping files left out.
    virtual const std::vector<File>& files() const = 0;
    // The space of a readable volume that its file system counts as free, ascending.
    virtual std::vector<Run> unallocated(std::uint32_t volume) = 0;
    // Up to count bytes of file index from offset, as the file system gives them (fewer only at
    // the file's end). Raises IOException when the input cannot be read there.
    virtual std::uint64_t read(std::size_t file, std::uint64_t offset, unsigned char* target,
                               std::uint64_t count) = 0;
};

#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Small files of the TIFF family, written field by field from TIFF 6.0's description of the
// header, the IFD and its entries: what camera raws are built on. Entries are sorted by tag as
// the format requires; every value too large for its entry and every strip lies after the header,
// each where the layout puts it, and the offsets are filled in at build.
class TiffBuilder {
public:
    enum Type : std::uint16_t { byte = 1, ascii = 2, shortType = 3, longType = 4, rational = 5, undefined = 7 };

    // magic: 42 for TIFF, or a raw format's own; padding: bytes left zero after the 8-byte header
    // (a format's own header fields), before the first IFD.
    TiffBuilder(bool bigEndian, std::uint16_t magic = 42, std::size_t padding = 0);

    // A new IFD; chained ones follow each other through their next pointers, the first of them
    // being IFD0. The result names it for the calls below.
    std::size_t directory(bool chained = true);

    void add(std::size_t directory, std::uint16_t tag, Type type, const std::vector<std::uint64_t>& values);
    void addText(std::size_t directory, std::uint16_t tag, const std::string& text);
    void addBytes(std::size_t directory, std::uint16_t tag, const Bytes& bytes);
    // StripOffsets and StripByteCounts (or TileOffsets and TileByteCounts) naming these pieces.
    void addStrips(std::size_t directory, const std::vector<Bytes>& strips, bool tiles = false);
    // A pointer tag (SubIFDs, EXIF, GPS) naming these IFDs.
    void addPointers(std::size_t directory, std::uint16_t tag, const std::vector<std::size_t>& targets);
    // Writes these bytes at offset 8 (a raw's own header fields), after the offsets are known;
    // directoryOffsetAt, when not negative, is where in them the offset of directory goes (32 bits).
    void setHeaderFields(const Bytes& fields, int directoryOffsetAt = -1, std::size_t directory = 0);

    Bytes build() const;

private:
    struct Entry {
        std::uint16_t tag;
        Type type;
        std::uint32_t count;
        Bytes value;
        // Values are offsets to fill in: of strips (index into strips) or of directories.
        std::vector<std::size_t> stripRefs;
        std::vector<std::size_t> directoryRefs;
    };
    struct Directory {
        bool chained;
        std::vector<Entry> entries;
    };

    void put(Bytes& out, std::uint64_t value, unsigned size) const;
    void set(Bytes& out, std::size_t at, std::uint64_t value, unsigned size) const;

    bool bigEndian;
    std::uint16_t magic;
    std::size_t padding;
    std::vector<Directory> directories;
    std::vector<Bytes> strips;
    Bytes headerFields;
    int headerDirectoryAt = -1;
    std::size_t headerDirectory = 0;
};

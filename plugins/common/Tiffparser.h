#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ByteCursor;

// The IFD chain of a TIFF file and of the formats built on it (camera raws, whose headers differ
// only in their magic number). A TIFF has no length of its own: its end is the farthest byte that
// anything in it points at: every IFD with its entries and next pointer, every value too large
// for its entry, the strips, tiles and old-style JPEG stream that the offset/count pairs name,
// and the sub-IFDs, EXIF, GPS and interoperability IFDs, walked like the main chain. Both byte
// orders; BigTIFF (magic 43, 8-byte offsets) where the magic allows it.
//
// A reference that reaches past the cursor's limit rejects the file: a TIFF cut short, or one too
// large for the size window, is not taken in part. What the walk saw (the magic, the camera's
// make, the DNG version tag, whether any IFD carries image data) lets each kind decide whether the
// file is its own.
class TiffParser {
public:
    static constexpr std::uint16_t classicMagic = 42;
    static constexpr std::uint16_t bigMagic = 43;

    // The first eight bytes of a file of magic: "II" or "MM", the magic in that byte order, and
    // a first IFD offset past the header (BigTIFF: the offset size 8 and its reserved zero).
    static bool detectHeader(const unsigned char* data, std::uint16_t magic);

    // Walks the file at the cursor's first byte whose header carries magic (classicMagic also
    // takes BigTIFF) and gives its length, or 0 when it is no whole, consistent file.
    std::uint64_t measure(ByteCursor& input, std::uint16_t magic);

    bool isBigEndian() const;
    bool isBigTiff() const;
    // The first IFD holds strips or tiles: a picture rather than the EXIF block of another file,
    // whose first IFD holds tags alone.
    bool firstHasImageData() const;
    // Some IFD of the file holds strips or tiles.
    bool hasImageData() const;
    // Some IFD describes a camera sensor's data rather than a finished picture: a colour filter
    // array or linear raw photometric interpretation, or a camera maker's own compression.
    bool hasSensorData() const;
    // The first IFD holds DNGVersion.
    bool hasDngVersion() const;
    // The first IFD's Make, up to its first zero (at most a few dozen characters), or empty.
    const std::string& make() const;

private:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint64_t count;
        // The entry's value field as stored: the value when it fits, else the value's offset.
        unsigned char field[8];
    };

    bool walkDirectory(ByteCursor& input, std::uint64_t offset, bool first);
    std::uint64_t fieldOffset(const Entry& entry) const;
    bool readEntries(ByteCursor& input, std::uint64_t offset, std::vector<Entry>& entries, std::uint64_t& next);
    // Reaches end: part of the file when it lies within the limit, else the file is refused.
    bool reach(ByteCursor& input, std::uint64_t end);
    // The number of bytes of the entry's value, or false when it overflows or the type is unknown.
    bool valueSize(const Entry& entry, std::uint64_t& size) const;
    bool inlineCapacity(std::uint64_t size) const;
    // Reads count elements from element first on of an entry of unsigned integer type (BYTE,
    // SHORT, LONG, LONG8, IFD, IFD8); false for any other type.
    bool readIntegers(ByteCursor& input, const Entry& entry, std::uint64_t first, std::size_t count,
                      std::vector<std::uint64_t>& values);
    // The offset/count pair of strips, tiles or a stream: the farthest byte of the data it names.
    bool reachData(ByteCursor& input, const Entry& offsets, const Entry& counts, bool& holdsData);
    bool readMake(ByteCursor& input, const Entry& entry);

    std::uint64_t decode(const unsigned char* data, unsigned size) const;

    bool bigEndian = false;
    bool bigTiff = false;
    bool firstImage = false;
    bool anyImage = false;
    bool dngVersion = false;
    bool sensorData = false;
    std::string makeText;
    std::uint64_t end = 0;
    std::vector<std::uint64_t> pending;
    std::vector<std::uint64_t> visited;
};

inline bool TiffParser::isBigEndian() const
{
    return bigEndian;
}

inline bool TiffParser::isBigTiff() const
{
    return bigTiff;
}

inline bool TiffParser::firstHasImageData() const
{
    return firstImage;
}

inline bool TiffParser::hasImageData() const
{
    return anyImage;
}

inline bool TiffParser::hasSensorData() const
{
    return sensorData;
}

inline bool TiffParser::hasDngVersion() const
{
    return dngVersion;
}

inline const std::string& TiffParser::make() const
{
    return makeText;
}

#include "plugins/common/Tiffparser.h"

#include "plugins/common/Bytecursor.h"

#include <algorithm>
#include <cstring>

namespace {

// Far more than any real file has; a walk beyond them is fed by garbage or a loop.
constexpr std::size_t largestDirectoryCount = 1024;
constexpr std::uint64_t largestEntryCount = 4096;
// Offset and count arrays are read this many elements at a time.
constexpr std::size_t arrayBlock = 1024;
constexpr std::size_t largestMake = 64;

namespace tag {
constexpr std::uint16_t compression = 0x0103;
constexpr std::uint16_t photometric = 0x0106;
constexpr std::uint16_t make = 0x010F;
constexpr std::uint16_t stripOffsets = 0x0111;
constexpr std::uint16_t stripByteCounts = 0x0117;
constexpr std::uint16_t tileOffsets = 0x0144;
constexpr std::uint16_t tileByteCounts = 0x0145;
constexpr std::uint16_t subIfds = 0x014A;
constexpr std::uint16_t jpegStream = 0x0201;
constexpr std::uint16_t jpegStreamLength = 0x0202;
constexpr std::uint16_t exifIfd = 0x8769;
constexpr std::uint16_t gpsIfd = 0x8825;
constexpr std::uint16_t interoperabilityIfd = 0xA005;
constexpr std::uint16_t dngVersion = 0xC612;
}

// Bytes per element of each field type; 0 for types this walk does not know, whose entries it
// passes over as a reader must.
unsigned typeSize(std::uint16_t type)
{
    switch (type) {
    case 1: case 2: case 6: case 7:
        return 1;
    case 3: case 8:
        return 2;
    case 4: case 9: case 11: case 13:
        return 4;
    case 5: case 10: case 12: case 16: case 17: case 18:
        return 8;
    default:
        return 0;
    }
}

bool isUnsignedInteger(std::uint16_t type)
{
    return type == 1 || type == 3 || type == 4 || type == 13 || type == 16 || type == 18;
}

bool isSensorPhotometric(std::uint64_t value)
{
    // Colour filter array, linear raw.
    return value == 32803 || value == 34892;
}

bool isCameraCompression(std::uint64_t value)
{
    // The camera makers' own raw compressions: Sony's (32767), Panasonic's and Samsung's (32769,
    // 32770), Nikon's (34713), Kodak's (65000), Pentax's (65535), and DNG's lossy JPEG (34892).
    return value == 32767 || value == 32769 || value == 32770 || value == 34713 || value == 34892 ||
           value == 65000 || value == 65535;
}

bool isPointer(std::uint16_t code)
{
    return code == tag::subIfds || code == tag::exifIfd || code == tag::gpsIfd || code == tag::interoperabilityIfd;
}

}

bool TiffParser::detectHeader(const unsigned char* data, std::uint16_t magic)
{
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M')) {
        return false;
    }
    const std::uint16_t found = little ? static_cast<std::uint16_t>(data[2] | data[3] << 8)
                                       : static_cast<std::uint16_t>(data[2] << 8 | data[3]);
    if (magic == classicMagic && found == bigMagic) {
        const unsigned char little8[4] = {8, 0, 0, 0};
        const unsigned char big8[4] = {0, 8, 0, 0};
        return std::memcmp(data + 4, little ? little8 : big8, 4) == 0;
    }
    if (found != magic) {
        return false;
    }
    const std::uint32_t first = little ? std::uint32_t{data[4]} | std::uint32_t{data[5]} << 8 |
                                             std::uint32_t{data[6]} << 16 | std::uint32_t{data[7]} << 24
                                       : std::uint32_t{data[4]} << 24 | std::uint32_t{data[5]} << 16 |
                                             std::uint32_t{data[6]} << 8 | std::uint32_t{data[7]};
    return first >= 8;
}

std::uint64_t TiffParser::decode(const unsigned char* data, unsigned size) const
{
    std::uint64_t value = 0;
    for (unsigned i = 0; i < size; ++i) {
        const unsigned at = bigEndian ? i : size - 1 - i;
        value = value << 8 | data[at];
    }
    return value;
}

std::uint64_t TiffParser::measure(ByteCursor& input, std::uint16_t magic)
{
    unsigned char header[16];
    if (!input.read(header, 8) || !detectHeader(header, magic)) {
        return 0;
    }
    bigEndian = header[0] == 'M';
    std::uint64_t first = 0;
    if (decode(header + 2, 2) == bigMagic && magic == classicMagic) {
        bigTiff = true;
        if (!input.read(header + 8, 8)) {
            return 0;
        }
        first = decode(header + 8, 8);
        end = 16;
    } else {
        first = decode(header + 4, 4);
        end = 8;
    }
    if (!walkDirectory(input, first, true)) {
        return 0;
    }
    while (!pending.empty()) {
        const std::uint64_t offset = pending.back();
        pending.pop_back();
        if (!walkDirectory(input, offset, false)) {
            return 0;
        }
    }
    return input.hasBytes(end) ? end : 0;
}

bool TiffParser::reach(ByteCursor& input, std::uint64_t stop)
{
    if (stop > input.limit()) {
        return false;
    }
    end = std::max(end, stop);
    return true;
}

bool TiffParser::inlineCapacity(std::uint64_t size) const
{
    return size <= (bigTiff ? 8u : 4u);
}

bool TiffParser::valueSize(const Entry& entry, std::uint64_t& size) const
{
    const unsigned element = typeSize(entry.type);
    if (element == 0 || entry.count > UINT64_MAX / element) {
        return false;
    }
    size = entry.count * element;
    return true;
}

std::uint64_t TiffParser::fieldOffset(const Entry& entry) const
{
    return decode(entry.field, bigTiff ? 8 : 4);
}

bool TiffParser::readEntries(ByteCursor& input, std::uint64_t offset, std::vector<Entry>& entries,
                             std::uint64_t& next)
{
    const unsigned countSize = bigTiff ? 8 : 2;
    const unsigned entrySize = bigTiff ? 20 : 12;
    const unsigned pointerSize = bigTiff ? 8 : 4;
    unsigned char countBytes[8];
    if (offset < (bigTiff ? 16u : 8u) || !input.seek(offset) || !input.read(countBytes, countSize)) {
        return false;
    }
    const std::uint64_t count = decode(countBytes, countSize);
    if (count == 0 || count > largestEntryCount) {
        return false;
    }
    const std::uint64_t tableSize = count * entrySize + pointerSize;
    if (tableSize > input.limit() - input.position()) {
        return false;
    }
    std::vector<unsigned char> table(static_cast<std::size_t>(tableSize));
    if (!input.read(table.data(), table.size()) || !reach(input, input.position())) {
        return false;
    }
    entries.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const unsigned char* raw = table.data() + i * entrySize;
        Entry& entry = entries[i];
        entry.tag = static_cast<std::uint16_t>(decode(raw, 2));
        entry.type = static_cast<std::uint16_t>(decode(raw + 2, 2));
        entry.count = decode(raw + 4, bigTiff ? 8 : 4);
        std::memset(entry.field, 0, sizeof entry.field);
        std::memcpy(entry.field, raw + (bigTiff ? 12 : 8), pointerSize);
    }
    next = decode(table.data() + count * entrySize, pointerSize);
    return true;
}

bool TiffParser::readIntegers(ByteCursor& input, const Entry& entry, std::uint64_t first, std::size_t count,
                              std::vector<std::uint64_t>& values)
{
    if (!isUnsignedInteger(entry.type)) {
        return false;
    }
    const unsigned element = typeSize(entry.type);
    std::uint64_t size = 0;
    if (!valueSize(entry, size) || first + count > entry.count) {
        return false;
    }
    values.clear();
    if (count == 0) {
        return true;
    }
    std::vector<unsigned char> bytes(count * element);
    if (inlineCapacity(size)) {
        std::memcpy(bytes.data(), entry.field + first * element, bytes.size());
    } else if (!input.seek(fieldOffset(entry) + first * element) || !input.read(bytes.data(), bytes.size())) {
        return false;
    }
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = decode(bytes.data() + i * element, element);
    }
    return true;
}

bool TiffParser::reachData(ByteCursor& input, const Entry& offsets, const Entry& counts, bool& holdsData)
{
    if (offsets.count != counts.count) {
        return false;
    }
    std::vector<std::uint64_t> starts;
    std::vector<std::uint64_t> lengths;
    for (std::uint64_t at = 0; at < offsets.count; at += arrayBlock) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(arrayBlock, offsets.count - at));
        if (!readIntegers(input, offsets, at, count, starts) || !readIntegers(input, counts, at, count, lengths)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (lengths[i] == 0) {
                continue;
            }
            if (starts[i] > input.limit() || lengths[i] > input.limit() - starts[i] ||
                !reach(input, starts[i] + lengths[i])) {
                return false;
            }
            holdsData = true;
        }
    }
    return true;
}

bool TiffParser::readMake(ByteCursor& input, const Entry& entry)
{
    if (entry.type != 2 || entry.count == 0) {
        return true;
    }
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(entry.count, largestMake));
    char text[largestMake];
    if (inlineCapacity(entry.count)) {
        std::memcpy(text, entry.field, length);
    } else if (!input.seek(fieldOffset(entry)) || !input.read(reinterpret_cast<unsigned char*>(text), length)) {
        return false;
    }
    makeText.assign(text, static_cast<std::size_t>(std::find(text, text + length, '\0') - text));
    return true;
}

bool TiffParser::walkDirectory(ByteCursor& input, std::uint64_t offset, bool first)
{
    // The chain from this IFD on: its next pointers, until one is 0.
    for (; offset != 0; first = false) {
        if (std::find(visited.begin(), visited.end(), offset) != visited.end()) {
            // A chain that loops back holds nothing new.
            return true;
        }
        if (visited.size() >= largestDirectoryCount) {
            return false;
        }
        visited.push_back(offset);
        std::vector<Entry> entries;
        std::uint64_t next = 0;
        if (!readEntries(input, offset, entries, next)) {
            return false;
        }
        const Entry* pairs[4] = {};
        bool holdsImage = false;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry& entry = entries[i];
            // Tags rise through an IFD; in the first one this rejects most garbage at once.
            if (first && i > 0 && entry.tag <= entries[i - 1].tag) {
                return false;
            }
            std::uint64_t size = 0;
            if (!valueSize(entry, size)) {
                if (typeSize(entry.type) == 0) {
                    continue;
                }
                return false;
            }
            if (!inlineCapacity(size)) {
                const std::uint64_t at = fieldOffset(entry);
                if (at > input.limit() || size > input.limit() - at || !reach(input, at + size)) {
                    return false;
                }
            }
            switch (entry.tag) {
            case tag::stripOffsets: pairs[0] = &entry; break;
            case tag::stripByteCounts: pairs[1] = &entry; break;
            case tag::tileOffsets: pairs[2] = &entry; break;
            case tag::tileByteCounts: pairs[3] = &entry; break;
            case tag::jpegStream:
                if (i + 1 < entries.size() && entries[i + 1].tag == tag::jpegStreamLength) {
                    bool stream = false;
                    if (!reachData(input, entry, entries[i + 1], stream)) {
                        return false;
                    }
                    firstImage = firstImage || (first && stream);
                }
                break;
            case tag::make:
                if (first && !readMake(input, entry)) {
                    return false;
                }
                break;
            case tag::compression:
            case tag::photometric: {
                std::vector<std::uint64_t> values;
                if (entry.count == 1 && readIntegers(input, entry, 0, 1, values)) {
                    sensorData = sensorData || (entry.tag == tag::compression ? isCameraCompression(values[0])
                                                                         : isSensorPhotometric(values[0]));
                }
                break;
            }
            case tag::dngVersion:
                dngVersion = dngVersion || first;
                break;
            default:
                if (isPointer(entry.tag)) {
                    std::vector<std::uint64_t> targets;
                    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(entry.count, largestDirectoryCount));
                    if (!readIntegers(input, entry, 0, count, targets)) {
                        return false;
                    }
                    for (std::uint64_t target : targets) {
                        if (target != 0) {
                            pending.push_back(target);
                        }
                    }
                }
                break;
            }
        }
        for (int pair = 0; pair < 4; pair += 2) {
            if (pairs[pair] != nullptr || pairs[pair + 1] != nullptr) {
                if (pairs[pair] == nullptr || pairs[pair + 1] == nullptr ||
                    !reachData(input, *pairs[pair], *pairs[pair + 1], holdsImage)) {
                    return false;
                }
            }
        }
        anyImage = anyImage || holdsImage;
        firstImage = firstImage || (first && holdsImage);
        offset = next;
    }
    return true;
}

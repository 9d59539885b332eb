#include "plugins/ole/Oleparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t headerSize = 512;
constexpr unsigned headerFatEntries = 109;
constexpr std::uint32_t largestRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t difatSector = 0xFFFFFFFC;
constexpr std::uint32_t fatSector = 0xFFFFFFFD;
constexpr std::uint32_t endOfChain = 0xFFFFFFFE;
constexpr std::uint32_t freeSector = 0xFFFFFFFF;
constexpr std::uint32_t rootStorage = 5;
const char rootName[] = "Root Entry";

}

const SignatureSet& OleParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1});
    return set;
}

bool OleParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32(0xD0, 0xCF, 0x11, 0xE0) || std::memcmp(data, signature, sizeof signature) != 0) {
        return false;
    }
    const std::uint16_t major = littleEndian16(data + 26);
    const std::uint16_t byteOrder = littleEndian16(data + 28);
    const std::uint16_t sectorShift = littleEndian16(data + 30);
    const std::uint16_t miniShift = littleEndian16(data + 32);
    const bool version = (major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12);
    return version && byteOrder == 0xFFFE && miniShift == 6;
}

bool OleParser::readSector(ByteCursor& input, std::uint32_t sector, unsigned char* target)
{
    return sector <= largestRegularSector && input.seek((std::uint64_t{sector} + 1) * sectorSize) &&
           input.read(target, sectorSize);
}

bool OleParser::readFat(ByteCursor& input, const std::vector<std::uint32_t>& fatSectors)
{
    const std::size_t perSector = sectorSize / 4;
    const std::size_t total = fatSectors.size() * perSector;
    fat.clear();
    std::vector<unsigned char> sector(sectorSize);
    for (std::uint32_t location : fatSectors) {
        if (location >= total || !readSector(input, location, sector.data())) {
            return false;
        }
        for (std::size_t j = 0; j < perSector; ++j) {
            const std::uint32_t next = littleEndian32(sector.data() + 4 * j);
            // A chain goes on to a sector the FAT describes, or ends; nothing else is allowed.
            if (next <= largestRegularSector ? next >= total : next == 0xFFFFFFFB) {
                return false;
            }
            fat.push_back(next);
        }
    }
    // Each FAT sector is marked as one, and none is listed twice: so the file holds them all.
    std::vector<bool> listed(total);
    for (std::uint32_t location : fatSectors) {
        if (fat[location] != fatSector || listed[location]) {
            return false;
        }
        listed[location] = true;
    }
    return true;
}

bool OleParser::checkDirectory(ByteCursor& input, std::uint32_t first)
{
    // The chain must end, within as many steps as there are sectors.
    std::uint32_t sector = first;
    for (std::size_t steps = 0; sector != endOfChain; ++steps) {
        if (sector >= fat.size() || steps >= fat.size()) {
            return false;
        }
        sector = fat[sector];
    }
    // Its first entry is the root storage, named "Root Entry" in UTF-16.
    std::vector<unsigned char> entries(sectorSize);
    if (!readSector(input, first, entries.data())) {
        return false;
    }
    const std::uint16_t nameLength = littleEndian16(entries.data() + 64);
    if (nameLength != 2 * sizeof rootName || entries[66] != rootStorage) {
        return false;
    }
    for (std::size_t i = 0; i < sizeof rootName; ++i) {
        if (entries[2 * i] != static_cast<unsigned char>(rootName[i]) || entries[2 * i + 1] != 0) {
            return false;
        }
    }
    return true;
}

std::uint64_t OleParser::measure(ByteCursor& input)
{
    unsigned char header[headerSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    sectorSize = std::uint32_t{1} << littleEndian16(header + 30);
    const std::uint32_t directorySectors = littleEndian32(header + 40);
    const std::uint32_t fatCount = littleEndian32(header + 44);
    const std::uint32_t firstDirectory = littleEndian32(header + 48);
    const std::uint32_t miniCutoff = littleEndian32(header + 56);
    std::uint32_t difat = littleEndian32(header + 68);
    const std::uint32_t difatCount = littleEndian32(header + 72);
    for (int i = 8; i < 24; ++i) {
        if (header[i] != 0) {
            return 0;
        }
    }
    for (int i = 34; i < 40; ++i) {
        if (header[i] != 0) {
            return 0;
        }
    }
    if (miniCutoff != 4096 || (sectorSize == 512 && directorySectors != 0) || fatCount == 0) {
        return 0;
    }
    // Every FAT sector lies in the file: no more of them than the input can hold.
    if (std::uint64_t{fatCount} * sectorSize > input.limit()) {
        return 0;
    }

    std::vector<std::uint32_t> fatSectors;
    for (unsigned i = 0; i < headerFatEntries; ++i) {
        const std::uint32_t location = littleEndian32(header + 76 + 4 * i);
        if (i < fatCount) {
            fatSectors.push_back(location);
        } else if (location != freeSector) {
            return 0;
        }
    }
    std::vector<std::uint32_t> difatSectors;
    std::vector<unsigned char> sector(sectorSize);
    const unsigned perDifat = sectorSize / 4 - 1;
    while (fatSectors.size() < fatCount) {
        if (difatSectors.size() >= difatCount || !readSector(input, difat, sector.data())) {
            return 0;
        }
        difatSectors.push_back(difat);
        for (unsigned i = 0; i < perDifat && fatSectors.size() < fatCount; ++i) {
            fatSectors.push_back(littleEndian32(sector.data() + 4 * i));
        }
        difat = littleEndian32(sector.data() + 4 * perDifat);
    }
    if (difatSectors.size() != difatCount) {
        return 0;
    }
    if (!readFat(input, fatSectors)) {
        return 0;
    }
    for (std::uint32_t location : difatSectors) {
        if (location >= fat.size() || fat[location] != difatSector) {
            return 0;
        }
    }
    if (!checkDirectory(input, firstDirectory)) {
        return 0;
    }

    std::size_t highest = fat.size();
    while (highest > 0 && fat[highest - 1] == freeSector) {
        --highest;
    }
    const std::uint64_t end = (std::uint64_t{highest} + 1) * sectorSize;
    return input.hasBytes(end) ? end : 0;
}

#include "plugins/elf/Elfparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <limits>
#include <vector>

namespace {

constexpr unsigned char classWide = 2;
constexpr unsigned char dataBigEndian = 2;
// Sections of these types take no file space, whatever their offset and size say.
constexpr std::uint32_t sectionNull = 0;
constexpr std::uint32_t sectionNoBits = 8;
constexpr std::uint32_t sectionAddendRelocations = 4;
constexpr std::uint32_t sectionRelocations = 9;
// Marks a count or index kept in section 0 instead of in the header.
constexpr std::uint16_t extendedNumbering = 0xFFFF;

std::uint16_t readHalf(const unsigned char* data, bool bigEndian)
{
    return bigEndian ? bigEndian16(data) : littleEndian16(data);
}

std::uint32_t readWord(const unsigned char* data, bool bigEndian)
{
    return bigEndian ? bigEndian32(data) : littleEndian32(data);
}

}

const SignatureSet& ElfParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0x7F, 'E', 'L', 'F'});
    return set;
}

bool ElfParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32(0x7F, 'E', 'L', 'F')) {
        return false;
    }
    const unsigned char fileClass = data[4];
    const unsigned char encoding = data[5];
    if ((fileClass != 1 && fileClass != 2) || (encoding != 1 && encoding != 2) || data[6] != 1) {
        return false;
    }
    const bool big = encoding == dataBigEndian;
    // Relocatable, executable, shared object, core, or one of the system- or processor-specific types.
    const std::uint16_t type = readHalf(data + 16, big);
    const bool knownType = (type >= 1 && type <= 4) || type >= 0xFE00;
    return knownType && readWord(data + 20, big) == 1;
}

std::uint16_t ElfParser::half(const unsigned char* data) const
{
    return readHalf(data, bigEndian);
}

std::uint32_t ElfParser::word(const unsigned char* data) const
{
    return readWord(data, bigEndian);
}

std::uint64_t ElfParser::address(const unsigned char* data) const
{
    if (!wide) {
        return word(data);
    }
    const std::uint64_t first = word(data);
    const std::uint64_t second = word(data + 4);
    return bigEndian ? first << 32 | second : second << 32 | first;
}

bool ElfParser::reach(std::uint64_t& end, std::uint64_t offset, std::uint64_t size)
{
    if (size > std::numeric_limits<std::uint64_t>::max() - offset) {
        return false;
    }
    if (offset + size > end) {
        end = offset + size;
    }
    return true;
}

std::uint64_t ElfParser::measure(ByteCursor& input)
{
    unsigned char header[64];
    if (!input.read(header, windowSize) || !detect(header)) {
        return 0;
    }
    wide = header[4] == classWide;
    bigEndian = header[5] == dataBigEndian;
    const unsigned headerSize = wide ? 64 : 52;
    if (!input.read(header + windowSize, headerSize - windowSize)) {
        return 0;
    }
    // The fields after e_entry, which is as wide as an address.
    const unsigned char* rest = header + (wide ? 32 : 28);
    const unsigned step = wide ? 8 : 4;
    const std::uint64_t programOffset = address(rest);
    const std::uint64_t sectionOffset = address(rest + step);
    const unsigned char* sizes = rest + 2 * step + 4;
    const std::uint16_t elfHeaderSize = half(sizes);
    const std::uint16_t programEntrySize = half(sizes + 2);
    std::uint64_t programCount = half(sizes + 4);
    const std::uint16_t sectionEntrySize = half(sizes + 6);
    std::uint64_t sectionCount = half(sizes + 8);
    std::uint64_t namesIndex = half(sizes + 10);
    if (elfHeaderSize != headerSize) {
        return 0;
    }
    const unsigned programSize = wide ? 56 : 32;
    const unsigned sectionSize = wide ? 64 : 40;

    std::uint64_t end = headerSize;
    std::vector<unsigned char> entry(sectionSize);
    if (sectionOffset != 0) {
        if (sectionEntrySize != sectionSize || sectionOffset < headerSize) {
            return 0;
        }
        // Section 0 is reserved; it carries the counts that did not fit in the header.
        if (!input.seek(sectionOffset) || !input.read(entry.data(), sectionSize) || word(entry.data() + 4) != 0) {
            return 0;
        }
        if (sectionCount == 0) {
            sectionCount = address(entry.data() + (wide ? 32 : 20));
        }
        if (namesIndex == extendedNumbering) {
            namesIndex = word(entry.data() + (wide ? 40 : 24));
        }
        if (programCount == extendedNumbering) {
            programCount = word(entry.data() + (wide ? 44 : 28));
        }
        if (sectionCount == 0 || (namesIndex != 0 && namesIndex >= sectionCount) ||
            sectionCount > (std::numeric_limits<std::uint64_t>::max() - sectionOffset) / sectionSize) {
            return 0;
        }
        // The whole table must fit before any of it beyond section 0 is read.
        if (!reach(end, sectionOffset, sectionCount * sectionSize) || !input.hasBytes(end)) {
            return 0;
        }
    } else if (sectionCount != 0 || namesIndex != 0) {
        return 0;
    }

    if (programOffset != 0) {
        if (programEntrySize != programSize || programCount == 0 || programCount == extendedNumbering ||
            programOffset < headerSize) {
            return 0;
        }
        if (!reach(end, programOffset, programCount * programSize) || !input.hasBytes(end) ||
            !input.seek(programOffset)) {
            return 0;
        }
        for (std::uint64_t i = 0; i < programCount; ++i) {
            if (!input.read(entry.data(), programSize)) {
                return 0;
            }
            const std::uint64_t offset = address(entry.data() + (wide ? 8 : 4));
            const std::uint64_t fileSize = address(entry.data() + (wide ? 32 : 16));
            if (fileSize != 0 && !reach(end, offset, fileSize)) {
                return 0;
            }
        }
    } else if (programCount != 0) {
        return 0;
    }
    if (programOffset == 0 && sectionOffset == 0) {
        return 0;
    }

    if (sectionOffset != 0) {
        if (!input.seek(sectionOffset + sectionSize)) {
            return 0;
        }
        for (std::uint64_t i = 1; i < sectionCount; ++i) {
            if (!input.read(entry.data(), sectionSize)) {
                return 0;
            }
            const std::uint32_t type = word(entry.data() + 4);
            const std::uint64_t offset = address(entry.data() + (wide ? 24 : 16));
            const std::uint64_t size = address(entry.data() + (wide ? 32 : 20));
            // A section names another by its index (the string table of a symbol table, the
            // section that relocations apply to): an index past the table is no linker's work, and
            // a common sign of a chance ELF header in other data.
            const std::uint32_t link = word(entry.data() + (wide ? 40 : 24));
            const std::uint32_t info = word(entry.data() + (wide ? 44 : 28));
            if (link >= sectionCount ||
                ((type == sectionRelocations || type == sectionAddendRelocations) && info >= sectionCount)) {
                return 0;
            }
            if (type != sectionNull && type != sectionNoBits && size != 0 && !reach(end, offset, size)) {
                return 0;
            }
        }
    }
    return input.hasBytes(end) ? end : 0;
}

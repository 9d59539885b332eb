#include "plugins/exe/Exeparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t newHeaderField = 0x3C;
// A PE header sits after the 64-byte MZ header and its DOS program, which are never large.
constexpr std::uint32_t largestNewHeaderOffset = 0x100000;
constexpr std::uint16_t executableImage = 0x0002;
constexpr std::uint16_t magic32Bit = 0x10B;
constexpr std::uint16_t magic64Bit = 0x20B;
constexpr std::uint32_t certificateDirectory = 4;
constexpr unsigned sectionHeaderSize = 40;
constexpr unsigned symbolSize = 18;

void reach(std::uint64_t& end, std::uint64_t offset, std::uint64_t size)
{
    end = std::max(end, offset + size);
}

bool isPowerOfTwo(std::uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

}

const SignatureSet& ExeParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, "MZ");
    return set;
}

bool ExeParser::detect(const unsigned char* data)
{
    if (loadWord16(data) != magic16('M', 'Z')) {
        return false;
    }
    const std::uint32_t newHeader = littleEndian32(data + newHeaderField);
    return newHeader >= windowSize && newHeader <= largestNewHeaderOffset;
}

std::uint64_t ExeParser::measure(ByteCursor& input)
{
    unsigned char dosHeader[windowSize];
    if (!input.read(dosHeader, sizeof dosHeader) || !detect(dosHeader)) {
        return 0;
    }
    const std::uint32_t newHeader = littleEndian32(dosHeader + newHeaderField);
    unsigned char fileHeader[24];
    if (!input.seek(newHeader) || !input.read(fileHeader, sizeof fileHeader) ||
        loadWord32(fileHeader) != magic32('P', 'E', 0, 0)) {
        return 0;
    }
    const std::uint16_t machine = littleEndian16(fileHeader + 4);
    const std::uint16_t sectionCount = littleEndian16(fileHeader + 6);
    const std::uint32_t symbolTable = littleEndian32(fileHeader + 12);
    const std::uint32_t symbolCount = littleEndian32(fileHeader + 16);
    const std::uint16_t optionalSize = littleEndian16(fileHeader + 20);
    const std::uint16_t characteristics = littleEndian16(fileHeader + 22);
    if (machine == 0 || sectionCount == 0 || (characteristics & executableImage) == 0) {
        return 0;
    }

    // The optional header as far as its data directories, whose number it gives.
    unsigned char optional[112 + 16 * 8] = {};
    if (optionalSize < 96 || !input.read(optional, std::min<std::size_t>(optionalSize, sizeof optional))) {
        return 0;
    }
    const std::uint16_t kind = littleEndian16(optional);
    if (kind != magic32Bit && kind != magic64Bit) {
        return 0;
    }
    const unsigned directoriesAt = kind == magic64Bit ? 112 : 96;
    const std::uint32_t sectionAlignment = littleEndian32(optional + 32);
    const std::uint32_t fileAlignment = littleEndian32(optional + 36);
    const std::uint32_t headersSize = littleEndian32(optional + 60);
    const std::uint32_t directoryCount = littleEndian32(optional + directoriesAt - 4);
    if (!isPowerOfTwo(fileAlignment) || fileAlignment > 0x10000 || sectionAlignment < fileAlignment) {
        return 0;
    }
    if (directoryCount > (optionalSize - directoriesAt) / 8u) {
        return 0;
    }

    const std::uint64_t sectionTable = std::uint64_t{newHeader} + sizeof fileHeader + optionalSize;
    std::uint64_t end = std::max<std::uint64_t>(headersSize, sectionTable + std::uint64_t{sectionCount} * sectionHeaderSize);
    if (!input.hasBytes(end) || !input.seek(sectionTable)) {
        return 0;
    }
    for (unsigned i = 0; i < sectionCount; ++i) {
        unsigned char section[sectionHeaderSize];
        if (!input.read(section, sizeof section)) {
            return 0;
        }
        const std::uint32_t rawSize = littleEndian32(section + 16);
        const std::uint32_t rawData = littleEndian32(section + 20);
        if (rawSize != 0 && rawData != 0) {
            reach(end, rawData, rawSize);
        }
    }

    if (symbolTable != 0 && symbolCount != 0) {
        // The string table follows the symbols and begins with its own length, those four bytes
        // included.
        const std::uint64_t strings = std::uint64_t{symbolTable} + std::uint64_t{symbolCount} * symbolSize;
        std::uint32_t stringsSize = 0;
        if (!input.seek(strings) || !input.readLittleEndian32(stringsSize) || stringsSize < 4) {
            return 0;
        }
        reach(end, strings, stringsSize);
    }

    if (directoryCount > certificateDirectory) {
        const unsigned char* directory = optional + directoriesAt + 8 * certificateDirectory;
        const std::uint32_t certificates = littleEndian32(directory);
        const std::uint32_t certificatesSize = littleEndian32(directory + 4);
        if (certificates != 0 && certificatesSize != 0) {
            // Entries of WIN_CERTIFICATE, each with its length and revision, padded to eight bytes,
            // filling the table exactly.
            if (certificates % 8 != 0 || certificates < headersSize || !input.seek(certificates)) {
                return 0;
            }
            std::uint64_t walked = 0;
            while (walked < certificatesSize) {
                std::uint32_t length = 0;
                std::uint16_t revision = 0;
                if (certificatesSize - walked < 8 || !input.seek(certificates + walked) ||
                    !input.readLittleEndian32(length) || !input.readLittleEndian16(revision) || length < 8 ||
                    length > certificatesSize - walked || (revision != 0x0100 && revision != 0x0200)) {
                    return 0;
                }
                // The last entry's padding may be left out of the table's size.
                walked += (std::uint64_t{length} + 7) / 8 * 8;
            }
            reach(end, certificates, certificatesSize);
        }
    }
    return input.hasBytes(end) ? end : 0;
}

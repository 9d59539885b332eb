#include "plugins/rar/Rarparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

const unsigned char rar4Signature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
const unsigned char rar5Signature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};

// RAR 4 block types and flags.
constexpr unsigned char rar4MainHeader = 0x73;
constexpr unsigned char rar4FileHeader = 0x74;
constexpr unsigned char rar4ServiceHeader = 0x7A;
constexpr unsigned char rar4EndOfArchive = 0x7B;
constexpr unsigned char rar4FirstOtherType = 0x75;
constexpr std::uint16_t rar4LongBlock = 0x8000;
constexpr std::uint16_t rar4MainVolume = 0x0001;
constexpr std::uint16_t rar4MainEncryptedHeaders = 0x0080;
constexpr std::uint16_t rar4FileSplit = 0x0003;
constexpr std::uint16_t rar4FileLarge = 0x0100;
constexpr std::uint16_t rar4EndNextVolume = 0x0001;
constexpr unsigned rar4BaseHeaderSize = 7;
constexpr unsigned rar4MainHeaderSize = 13;
constexpr unsigned rar4FileHeaderSize = 32;

// RAR 5 header types and flags.
constexpr std::uint64_t rar5MainHeader = 1;
constexpr std::uint64_t rar5FileHeader = 2;
constexpr std::uint64_t rar5ServiceHeader = 3;
constexpr std::uint64_t rar5EncryptionHeader = 4;
constexpr std::uint64_t rar5EndOfArchive = 5;
constexpr std::uint64_t rar5HasExtraArea = 0x0001;
constexpr std::uint64_t rar5HasDataArea = 0x0002;
constexpr std::uint64_t rar5SkipIfUnknown = 0x0004;
constexpr std::uint64_t rar5DataSplit = 0x0018;
constexpr std::uint64_t rar5ArchiveVolume = 0x0001;
constexpr std::uint64_t rar5EndNotLastVolume = 0x0001;
// The format caps a header at 2 MB.
constexpr std::uint64_t rar5LargestHeader = 2 * 1024 * 1024;

std::uint32_t crcOf(const unsigned char* data, std::size_t length)
{
    return static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), data, static_cast<uInt>(length)));
}

// RAR 5's variable-length integers: seven bits a byte, low first, the high bit saying more follow.
bool readVint(const unsigned char* data, std::size_t length, std::size_t& at, std::uint64_t& value)
{
    value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (at >= length) {
            return false;
        }
        unsigned char byte = data[at++];
        value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) {
            return shift < 63 || byte <= 1;
        }
    }
    return false;
}

}

const SignatureSet& RarParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00}).add(0, {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00});
    return set;
}

bool RarParser::detect(const unsigned char* data)
{
    return std::memcmp(data, rar4Signature, sizeof rar4Signature) == 0 ||
           std::memcmp(data, rar5Signature, sizeof rar5Signature) == 0;
}

std::uint64_t RarParser::measure(ByteCursor& input)
{
    unsigned char signature[sizeof rar5Signature];
    if (!input.read(signature, sizeof rar4Signature)) {
        return 0;
    }
    if (std::memcmp(signature, rar4Signature, sizeof rar4Signature) == 0) {
        return measureRar4(input);
    }
    if (!input.read(signature + sizeof rar4Signature, 1) ||
        std::memcmp(signature, rar5Signature, sizeof rar5Signature) != 0) {
        return 0;
    }
    return measureRar5(input);
}

std::uint64_t RarParser::measureRar4(ByteCursor& input)
{
    bool first = true;
    std::vector<unsigned char> header;
    for (;;) {
        unsigned char base[rar4BaseHeaderSize];
        if (!input.read(base, sizeof base)) {
            return 0;
        }
        const std::uint16_t crc = littleEndian16(base);
        const unsigned char type = base[2];
        const std::uint16_t flags = littleEndian16(base + 3);
        const std::uint16_t size = littleEndian16(base + 5);
        if (size < rar4BaseHeaderSize || first != (type == rar4MainHeader)) {
            return 0;
        }
        // The CRC covers the header from its type on.
        header.assign(base, base + sizeof base);
        header.resize(size);
        if (!input.read(header.data() + sizeof base, size - sizeof base) ||
            (crcOf(header.data() + 2, size - 2) & 0xFFFF) != crc) {
            return 0;
        }
        std::uint64_t dataSize = 0;
        if ((flags & rar4LongBlock) != 0) {
            if (size < rar4BaseHeaderSize + 4) {
                return 0;
            }
            dataSize = littleEndian32(header.data() + 7);
        }
        if (type == rar4MainHeader) {
            if (size < rar4MainHeaderSize || (flags & (rar4MainVolume | rar4MainEncryptedHeaders)) != 0) {
                return 0;
            }
        } else if (type == rar4FileHeader || type == rar4ServiceHeader) {
            if (size < rar4FileHeaderSize || (flags & rar4LongBlock) == 0 || (flags & rar4FileSplit) != 0) {
                return 0;
            }
            if ((flags & rar4FileLarge) != 0) {
                if (size < rar4FileHeaderSize + 8) {
                    return 0;
                }
                dataSize |= std::uint64_t{littleEndian32(header.data() + rar4FileHeaderSize)} << 32;
            }
        } else if (type == rar4EndOfArchive) {
            if ((flags & rar4EndNextVolume) != 0 || !input.skip(dataSize) || !input.hasBytes(input.position())) {
                return 0;
            }
            return input.position();
        } else if (type < rar4FirstOtherType || type > rar4ServiceHeader) {
            return 0;
        }
        first = false;
        if (!input.skip(dataSize)) {
            return 0;
        }
    }
}

std::uint64_t RarParser::measureRar5(ByteCursor& input)
{
    bool first = true;
    std::vector<unsigned char> header;
    for (;;) {
        // The CRC-32, then the header size as a variable-length integer of up to 3 bytes (the
        // 2 MB cap), then that many bytes; the CRC covers the size and the header.
        unsigned char start[4 + 3];
        if (!input.read(start, 5)) {
            return 0;
        }
        std::size_t sizeLength = 1;
        while ((start[3 + sizeLength] & 0x80) != 0) {
            if (sizeLength == 3) {
                return 0;
            }
            if (!input.read(start + 4 + sizeLength, 1)) {
                return 0;
            }
            ++sizeLength;
        }
        std::size_t at = 0;
        std::uint64_t headerSize = 0;
        if (!readVint(start + 4, sizeLength, at, headerSize) || headerSize == 0 || headerSize > rar5LargestHeader) {
            return 0;
        }
        header.assign(start + 4, start + 4 + sizeLength);
        header.resize(sizeLength + headerSize);
        if (!input.read(header.data() + sizeLength, headerSize) ||
            crcOf(header.data(), header.size()) != littleEndian32(start)) {
            return 0;
        }
        std::uint64_t type = 0;
        std::uint64_t flags = 0;
        std::uint64_t extraSize = 0;
        std::uint64_t dataSize = 0;
        at = sizeLength;
        if (!readVint(header.data(), header.size(), at, type) || !readVint(header.data(), header.size(), at, flags) ||
            ((flags & rar5HasExtraArea) != 0 && !readVint(header.data(), header.size(), at, extraSize)) ||
            ((flags & rar5HasDataArea) != 0 && !readVint(header.data(), header.size(), at, dataSize))) {
            return 0;
        }
        if (extraSize > header.size() - at || first != (type == rar5MainHeader)) {
            return 0;
        }
        std::uint64_t typeFlags = 0;
        if (type == rar5MainHeader || type == rar5EndOfArchive) {
            if (!readVint(header.data(), header.size(), at, typeFlags)) {
                return 0;
            }
        }
        if (type == rar5MainHeader) {
            if ((typeFlags & rar5ArchiveVolume) != 0) {
                return 0;
            }
        } else if (type == rar5FileHeader || type == rar5ServiceHeader) {
            if ((flags & rar5DataSplit) != 0) {
                return 0;
            }
        } else if (type == rar5EndOfArchive) {
            if ((typeFlags & rar5EndNotLastVolume) != 0 || !input.skip(dataSize) || !input.hasBytes(input.position())) {
                return 0;
            }
            return input.position();
        } else if (type == rar5EncryptionHeader || (flags & rar5SkipIfUnknown) == 0) {
            return 0;
        }
        first = false;
        if (!input.skip(dataSize)) {
            return 0;
        }
    }
}

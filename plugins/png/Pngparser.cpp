#include "plugins/png/Pngparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/png/Crc32.h"

#include <cstring>

namespace {

const unsigned char header[PngParser::windowSize] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                     0, 0, 0, 13, 'I', 'H', 'D', 'R'};

constexpr std::uint32_t chunkType(const char (&name)[5])
{
    return std::uint32_t{static_cast<unsigned char>(name[0])} << 24 |
           std::uint32_t{static_cast<unsigned char>(name[1])} << 16 |
           std::uint32_t{static_cast<unsigned char>(name[2])} << 8 |
           std::uint32_t{static_cast<unsigned char>(name[3])};
}

bool isLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}

const SignatureSet& PngParser::signatures()
{
    // The whole fixed header: the signature, then IHDR's length and type.
    static const SignatureSet set = SignatureSet().add(0, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    return set;
}

bool PngParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32(0x89, 'P', 'N', 'G')) {
        return false;
    }
    return std::memcmp(data + 4, header + 4, sizeof header - 4) == 0;
}

std::uint64_t PngParser::measure(ByteCursor& input)
{
    unsigned char signature[8];
    if (!input.read(signature, sizeof signature) || std::memcmp(signature, header, sizeof signature) != 0) {
        return 0;
    }
    bool first = true;
    bool sawImageData = false;
    bool damagedAncillary = false;
    for (;;) {
        unsigned char chunkHeader[8];
        if (!input.read(chunkHeader, sizeof chunkHeader)) {
            return 0;
        }
        std::uint32_t length = bigEndian32(chunkHeader);
        std::uint32_t type = bigEndian32(chunkHeader + 4);
        if (length > 0x7FFFFFFFu) {
            return 0;
        }
        for (int i = 4; i < 8; ++i) {
            if (!isLetter(chunkHeader[i])) {
                return 0;
            }
        }
        if (first != (type == chunkType("IHDR"))) {
            return 0;
        }
        if (first && length != 13) {
            return 0;
        }
        first = false;
        Crc32 crc;
        crc.update(chunkHeader + 4, 4);
        if (!input.consume(length, [&crc](const unsigned char* data, std::size_t size) { crc.update(data, size); })) {
            return 0;
        }
        std::uint32_t stored = 0;
        if (!input.readBigEndian32(stored)) {
            return 0;
        }
        // A damaged ancillary chunk (its type's first letter in lower case) costs a metadata
        // item, not the picture, so one is let through; the chunk chain around it still has to
        // hold. A critical chunk must match, and a second bad CRC means more than a stray error.
        if (stored != crc.value()) {
            const bool ancillary = (chunkHeader[4] & 0x20) != 0;
            if (!ancillary || damagedAncillary) {
                return 0;
            }
            damagedAncillary = true;
        }
        if (type == chunkType("IDAT")) {
            sawImageData = true;
        } else if (type == chunkType("IEND")) {
            return length == 0 && sawImageData ? input.position() : 0;
        }
    }
}

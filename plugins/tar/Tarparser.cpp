#include "plugins/tar/Tarparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned sizeField = 124;
constexpr unsigned sizeLength = 12;
constexpr unsigned checksumField = 148;
constexpr unsigned checksumLength = 8;
constexpr unsigned typeField = 156;
constexpr unsigned magicField = 257;
// tar's default blocking factor of 20 blocks.
constexpr std::uint64_t recordSize = 20 * TarParser::blockSize;

bool isZero(const unsigned char* block)
{
    return std::all_of(block, block + TarParser::blockSize, [](unsigned char c) { return c == 0; });
}

// An octal number, optionally led by spaces and ended by a space or NUL, or (GNU, for values that
// do not fit) a base-256 number marked by the first byte's high bit.
bool readNumber(const unsigned char* field, unsigned length, std::uint64_t& value)
{
    value = 0;
    if ((field[0] & 0x80) != 0) {
        if ((field[0] & 0x40) != 0) {
            return false;
        }
        std::uint64_t high = field[0] & 0x3F;
        for (unsigned i = 1; i < length; ++i) {
            if (high > 0 || (value >> 56) != 0) {
                return false;
            }
            value = value << 8 | field[i];
        }
        return true;
    }
    unsigned i = 0;
    while (i < length && field[i] == ' ') {
        ++i;
    }
    bool digits = false;
    for (; i < length && field[i] >= '0' && field[i] <= '7'; ++i) {
        value = value << 3 | static_cast<unsigned>(field[i] - '0');
        digits = true;
    }
    for (; i < length; ++i) {
        if (field[i] != ' ' && field[i] != 0) {
            return false;
        }
    }
    return digits;
}

bool validHeader(const unsigned char* block, std::uint64_t& dataLength)
{
    if (std::memcmp(block + magicField, "ustar", 5) != 0 || (block[magicField + 5] != 0 && block[magicField + 5] != ' ')) {
        return false;
    }
    std::uint64_t recorded = 0;
    if (!readNumber(block + checksumField, checksumLength, recorded)) {
        return false;
    }
    // The sum of the header's bytes with the checksum field taken as spaces; some old writers
    // summed them as signed characters.
    std::uint64_t unsignedSum = 0;
    std::int64_t signedSum = 0;
    for (unsigned i = 0; i < TarParser::blockSize; ++i) {
        unsigned char c = i >= checksumField && i < checksumField + checksumLength ? ' ' : block[i];
        unsignedSum += c;
        signedSum += static_cast<signed char>(c);
    }
    if (recorded != unsignedSum && static_cast<std::int64_t>(recorded) != signedSum) {
        return false;
    }
    std::uint64_t size = 0;
    if (!readNumber(block + sizeField, sizeLength, size)) {
        return false;
    }
    // Links, devices, folders and FIFOs have no data, whatever their size field says.
    unsigned char type = block[typeField];
    if (type >= '1' && type <= '6') {
        size = 0;
    }
    if (size > UINT64_MAX - 2 * TarParser::blockSize) {
        return false;
    }
    dataLength = (size + TarParser::blockSize - 1) / TarParser::blockSize * TarParser::blockSize;
    return true;
}

}

const SignatureSet& TarParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(magicField, "ustar");
    return set;
}

bool TarParser::detect(const unsigned char* data)
{
    return std::memcmp(data + magicField, "ustar", 5) == 0 && (data[magicField + 5] == 0 || data[magicField + 5] == ' ');
}

const std::vector<std::uint64_t>& TarParser::members() const
{
    return laterHeaders;
}

std::uint64_t TarParser::finish(ByteCursor& input, std::uint64_t end, unsigned entries)
{
    if (entries == 0 || end > input.limit()) {
        laterHeaders.clear();
        return 0;
    }
    input.seek(end);
    return end;
}

std::uint64_t TarParser::measure(ByteCursor& input)
{
    laterHeaders.clear();
    // Blocks are peeked at, not read: the block that tells where the archive ends may lie past the
    // size window, and an archive that goes on past the window is too large rather than shorter.
    unsigned char block[blockSize];
    std::uint64_t position = 0;
    std::uint64_t lastWholeEnd = 0;
    unsigned entries = 0;
    for (;;) {
        if (position > input.limit()) {
            return finish(input, position, entries);
        }
        if (!input.peek(position, block, sizeof block)) {
            return finish(input, lastWholeEnd, entries);
        }
        if (isZero(block)) {
            if (entries == 0 || !input.peek(position + blockSize, block, sizeof block) || !isZero(block)) {
                return finish(input, lastWholeEnd, entries);
            }
            std::uint64_t end = position + 2 * blockSize;
            const std::uint64_t recordEnd = (end + recordSize - 1) / recordSize * recordSize;
            while (end < recordEnd && end <= input.limit() && input.peek(end, block, sizeof block) && isZero(block)) {
                end += blockSize;
            }
            return finish(input, end, entries);
        }
        std::uint64_t dataLength = 0;
        if (!validHeader(block, dataLength) || dataLength > input.inputLength() - position - blockSize) {
            return finish(input, lastWholeEnd, entries);
        }
        if (position > 0) {
            laterHeaders.push_back(position);
        }
        ++entries;
        position += blockSize + dataLength;
        lastWholeEnd = position;
    }
}
